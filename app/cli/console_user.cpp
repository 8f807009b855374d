#include "cli/console_user.h"

#include "platform/file_selection_text.h"
#include "projection/projection_list.h"
#include "projection/projection_window.h"
#include "state/paths.h"
#include "text/line_breaks.h"
#include "text/trimmed.h"

namespace marlo::cli {

namespace {
// The entry of `names` that is `wanted`: spelled exactly as listed, or else equal once the
// blanks around both are left aside ("--group ' Poland '"); -1 when there is none.
int IndexOfName(const std::vector<std::string>& names, const std::string& wanted) {
    if (wanted.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (Trimmed(names[i]) == Trimmed(wanted)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

void ConsoleUser::ShowMessageBox(const std::string& text, MessageIcon, const std::string& title) {
    if (!title.empty()) {
        errors_ << title << ":\n";
    }
    errors_ << WithLineFeeds(text) << '\n';
}

std::string ConsoleUser::ShowOpenFileDialog(const OpenFileDialogRequest& request) {
    // The projection list's locate dialog asks for one file; the input dialog for several.
    if (!request.multiSelect) {
        return answers_.projectionFile;
    }
    return EncodeFileSelection(answers_.files);
}

std::string ConsoleUser::BrowseForFolder(const std::string&, const std::string&) {
    return answers_.outputDirectory;
}

void ConsoleUser::ShowErrorReport(const std::string& report) {
    errors_ << WithLineFeeds(report) << '\n';
}

void ConsoleUser::ShowProjectionWindow(ProjectionWindow& window) {
    // Without --group and --projection, inputs that all state their own system need no answer,
    // and GeoTIFFs made from world files get none.
    if (answers_.group.empty() && answers_.projection.empty()) {
        if (window.NoSystemOffered()) {
            window.SetNoSystem(true);
        }
        if (window.NoSystemOffered() || window.OwnSystemsCoverEveryImage()) {
            window.cmdOK_Click();
            return;
        }
        // Going on after a failed file: an input without a system of its own fails alone.
        if (answers_.keepGoing && window.OwnSystemsOffered()) {
            window.KeepOwnSystemsOnly();
            return;
        }
    }
    // --projection EPSG:<code>: the list's entry with the code, or the system GDAL knows by it.
    const bool byCode = WithoutEpsgPrefix(answers_.projection) != Trimmed(answers_.projection);
    if (const auto code = EpsgCodeNamed(answers_.projection);
        byCode && code && answers_.group.empty()) {
        if (window.SelectCode(*code)) {
            window.cmdOK_Click();
        } else {
            errors_ << "marlo-convert: " << answers_.projection
                    << " is neither in the projection list nor a system GDAL knows and a table "
                       "can hold (--projection)\n";
            window.CloseBox();
        }
        return;
    }
    if (answers_.group.empty() && answers_.projection.empty()) {
        errors_ << "marlo-convert: an input states no coordinate system of its own: name one "
                   "with --projection EPSG:CODE, or with --group and --projection as listed "
                   "(--list-projections)\n";
        window.CloseBox();
        return;
    }
    // A group or projection that is not answered, or not listed, closes the window: a cancel.
    const int group = IndexOfName(window.GroupNames(), answers_.group);
    if (group < 0) {
        errors_ << "marlo-convert: no projection group \"" << answers_.group
                << "\" in the projection list (--group)\n";
        window.CloseBox();
        return;
    }
    window.cmbGroup_Click(group);
    const int projection = IndexOfName(window.ProjectionNames(), answers_.projection);
    if (projection < 0) {
        errors_ << "marlo-convert: no projection \"" << answers_.projection << "\" in group \""
                << answers_.group << "\" (--projection)\n";
        window.CloseBox();
        return;
    }
    window.SelectProjection(projection);
    window.cmdOK_Click();
}

}  // namespace marlo::cli
