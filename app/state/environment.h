#pragma once

#include <concepts>
#include <string>

#include "errors/error_report.h"
#include "platform/file_system.h"
#include "platform/user_interaction.h"

namespace marlo {

// The libraries the program binds by name when a run first needs them.
struct Libraries {
    std::string pelcor = "libpelcor.so.1";
    std::string vantrel = "libvantrel.so";
};

// Where the projection list is kept: the per-user folder that holds the located list
// (mapinfow.prj), and the folder of the list shipped with the program (the locate dialog's
// first folder).
struct ProjectionFolders {
    std::string programFolder;
    std::string shippedProjectionFolder;
};

// The services every procedure may use, and nothing of a run or of a file: the program makes
// one and passes it by reference.
struct Environment {
    // The user answers the dialogs and sees the messages and error reports.
    template <class User>
    requires std::derived_from<User, UserInteraction> && std::derived_from<User, ErrorReportViewer>
    explicit Environment(User& user) : ui(user), errorReport(user) {}

    UserInteraction& ui;
    ErrorReport errorReport;
    FileSystemService fileSystem;
    Libraries libraries;
    ProjectionFolders folders;
};

}  // namespace marlo
