#pragma once

#include <gtest/gtest.h>

#include <string>

#include "conversion/conversion_context.h"
#include "platform/regional_settings.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo::test {

// A main window's state with a scripted user, a fixed decimal sign and a temporary folder.
class FormTest : public ::testing::Test {
protected:
    explicit FormTest(const std::string& decimalSign = ".") : regional(decimalSign) {
        currentLanguage = "english";
    }

    void TearDown() override { currentLanguage = "english"; }

    // Selects one "Convert from:" and one "Convert to:" option, the others cleared.
    void Choose(FileFormat from, FileFormat to) {
        form.options.optGEOin.selected = from == format::GeoTIFF;
        form.options.optTABin.selected = from == format::TAB;
        form.options.optTFWin.selected = from == format::TFW;
        form.options.optGEO.selected = to == format::GeoTIFF;
        form.options.optTAB.selected = to == format::TAB;
        form.options.optTFW.selected = to == format::TFW;
    }

    ScriptedUser user;
    FixedRegionalSettings regional;
    ConversionContext form{user, regional};
    TempFolder temp;
};

}  // namespace marlo::test
