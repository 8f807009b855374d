#pragma once

#include <string>

#include "errors/error_report.h"
#include "platform/bound_libraries.h"
#include "platform/file_system.h"
#include "platform/kept_answers.h"
#include "text/catalogue.h"

namespace marlo {

// The libraries the program binds by name when a run first needs them, and those bound so
// far: they stay loaded while the Environment lasts.
struct Libraries {
    std::string pelcor = "libpelcor.so.1";
    std::string vantrel = "libvantrel.so";
    BoundLibraries bound;

    BoundLibrary& Pelcor() const { return bound.Library(pelcor); }
    BoundLibrary& Vantrel() const { return bound.Library(vantrel); }
};

// Where the projection list is kept: the per-user folder that holds the located list
// (mapinfow.prj), and the folder of the list shipped with the program (the locate dialog's
// first folder).
struct ProjectionFolders {
    std::string userDataFolder;
    std::string shippedProjectionFolder;
};

// The services every procedure may use, and nothing of a run or of a file: the program makes
// one and passes it by reference. Who asks the user is no service: only the window's planning
// and events ask, and they are given the user.
struct Environment {
    // Error reports of the procedures that report their own go to the viewer.
    explicit Environment(ErrorReportViewer& viewer) : errorReport(viewer) {}

    ErrorReport errorReport;
    // The interface language's texts.
    Texts texts;
    FileSystemService fileSystem;
    Libraries libraries;
    ProjectionFolders folders;
    // The answers GDAL's bridge gave, kept for later processes (see crs/answer_cache.h).
    KeptAnswers bridgeAnswers{UserCacheFile("bridge-answers")};
};

}  // namespace marlo
