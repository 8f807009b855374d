#include "presenters/about_info.h"

#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {

namespace {

constexpr const char* kApplicationTitle = "Marlo";
constexpr const char* kRightsLine = "Copyright (C) 2026 Marlo developers";
constexpr const char* kEmailLine = "e-mail: marlo@example.org";
constexpr const char* kCreditLine = "Tiff Lib - Pelcor developers";

}  // namespace

std::string AboutCaption() {
    return std::string("About ") + kApplicationTitle;
}

std::string AboutTitle() {
    return std::string(kApplicationTitle) + " beta " + std::to_string(MARLO_VERSION_MAJOR) + "." +
           std::to_string(MARLO_VERSION_MINOR) + "." + std::to_string(MARLO_VERSION_REVISION);
}

std::string AboutDescription(const Texts& texts) {
    return std::string(kRightsLine) + kCrLf + kEmailLine + kCrLf +
           texts.Message(msg::CommentsWelcome) + kCrLf + kCrLf + kCreditLine;
}

void ShowSystemInformationUnavailable(UserInteraction& ui) {
    ui.ShowMessage(kSystemInfoUnavailable, MessageIcon::None);
}

}  // namespace marlo
