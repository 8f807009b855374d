#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/regional_settings.h"
#include "state/conversion_context.h"
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
    void Choose(FileFormat from, FileFormat to) { SelectFormats(form.options, from, to); }

    ScriptedUser user;
    FixedRegionalSettings regional;
    ConversionContext form{user, regional};
    TempFolder temp;
};

}  // namespace marlo::test
