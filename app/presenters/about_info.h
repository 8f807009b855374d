#pragma once

#include <string>

#include "platform/user_interaction.h"
#include "text/catalogue.h"

namespace marlo {

// The About window's texts; only the description depends on the interface language.
std::string AboutCaption();  // "About Marlo"
std::string AboutTitle();    // "Marlo beta <major>.<minor>.<revision>"
std::string AboutDescription(
    const Texts& texts);  // rights, e-mail, message 31, an empty line, credit; CR LF
inline constexpr const char* kAboutLinkToolTip = "Click to open page...";
inline constexpr const char* kSystemInfoUnavailable =
    "System Information Is Unavailable At This Time";

// The System Information tool is a Windows program that Linux has no counterpart of: its
// button says so.
void ShowSystemInformationUnavailable(UserInteraction& ui);

}  // namespace marlo
