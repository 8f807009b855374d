#include "projection/projection_window.h"

#include <algorithm>

#include "projection/projection_list.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

constexpr const char* kNoChoice = "error";
constexpr const char* kClauseStart = "CoordSys Earth Projection ";

// The catalogue has no text for cancelling; the button keeps its design text in English.
std::string CancelText() {
    return currentLanguage == "polski" ? "Anuluj" : "Cancel";
}

bool ValidIndex(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

ProjectionChooser::ProjectionChooser(ConversionContext& form, std::string projectionListPath)
    : form_(form), projectionListPath_(std::move(projectionListPath)) {}

void ProjectionChooser::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    caption_ = CaptionText(1);
    label1Caption_ = CaptionText(2);
    label2Caption_ = CaptionText(3);
    okCaption_ = CaptionText(4);
    cancelCaption_ = CancelText();
    if (!form_.fileSystem.FileExists(projectionListPath_)) {
        form_.ui.ShowMessage(MessageWithPath(msg::UnableToOpenFile, projectionListPath_),
                             MessageIcon::Critical);
        result_ = kNoChoice;
        return;
    }
    projectionLines_ = ReadProjectionLines(form_, projectionListPath_);
    for (std::size_t line = 0; line < projectionLines_.size(); ++line) {
        if (auto name = GroupName(projectionLines_[line])) {
            groupNames_.push_back(std::move(*name));
            groupHeaderLines_.push_back(line);
        }
    }
    if (!groupHeaderLines_.empty() && groupHeaderLines_.front() == 0) {
        cmbGroup_Click(0);
    }
    PreselectOwnSystem();
}

std::string ProjectionChooser::Caption() const {
    return caption_;
}
std::string ProjectionChooser::Label1Caption() const {
    return label1Caption_;
}
std::string ProjectionChooser::Label2Caption() const {
    return label2Caption_;
}
std::string ProjectionChooser::OkCaption() const {
    return okCaption_;
}
std::string ProjectionChooser::CancelCaption() const {
    return cancelCaption_;
}

const std::vector<std::string>& ProjectionChooser::GroupNames() const {
    return groupNames_;
}
int ProjectionChooser::GroupIndex() const {
    return groupIndex_;
}

void ProjectionChooser::cmbGroup_Click(int index) {
    projectionNames_.clear();
    projectionNameLines_.clear();
    SelectProjection(-1);
    if (!ValidIndex(index, groupNames_.size())) {
        groupIndex_ = -1;
        return;
    }
    groupIndex_ = index;
    for (const std::size_t line : GroupProjectionLines(
             projectionLines_, groupHeaderLines_[static_cast<std::size_t>(index)])) {
        projectionNames_.push_back(ParseProjectionLine(projectionLines_[line])->name);
        projectionNameLines_.push_back(line);
    }
    if (!projectionNames_.empty()) {
        SelectProjection(0);
    }
}

const std::vector<std::string>& ProjectionChooser::ProjectionNames() const {
    return projectionNames_;
}
int ProjectionChooser::ProjectionIndex() const {
    return projectionIndex_;
}

void ProjectionChooser::SelectProjection(int index) {
    if (!ValidIndex(index, projectionNames_.size())) {
        projectionIndex_ = -1;
        projectionText_.clear();
        return;
    }
    projectionIndex_ = index;
    projectionText_ = projectionNames_[static_cast<std::size_t>(index)];
}

void ProjectionChooser::SetProjectionText(const std::string& text) {
    projectionText_ = text;
    if (ValidIndex(projectionIndex_, projectionNames_.size()) &&
        projectionNames_[static_cast<std::size_t>(projectionIndex_)] == text) {
        return;
    }
    projectionIndex_ = -1;
    for (std::size_t i = 0; i < projectionNames_.size(); ++i) {
        if (projectionNames_[i] == text) {
            projectionIndex_ = static_cast<int>(i);
            return;
        }
    }
}

const std::string& ProjectionChooser::ProjectionText() const {
    return projectionText_;
}

std::optional<std::size_t> ProjectionChooser::ChosenLine() const {
    if (projectionText_.empty()) {
        return std::nullopt;
    }
    // A name picked from the list stands for the line it was listed from, even when other
    // lines (a longer name, the same name in another group) contain it as well.
    if (ValidIndex(projectionIndex_, projectionNames_.size())) {
        return projectionNameLines_[static_cast<std::size_t>(projectionIndex_)];
    }
    return FindProjectionLine(projectionLines_, projectionText_);
}

void ProjectionChooser::cmdOK_Click() {
    if (closed_) {
        return;
    }
    result_ = kNoChoice;
    if (const auto line = ChosenLine()) {
        if (const auto projection = ParseProjectionLine(projectionLines_[*line])) {
            result_ = kClauseStart + projection->parameters;
        }
    } else if (UseOwnSystems() && OwnSystemsCoverEveryImage()) {
        result_.clear();
    }
    form_.useOwnSystems = UseOwnSystems();
    closed_ = true;
}

bool ProjectionChooser::OwnSystemsOffered() const {
    return form_.offerOwnSystems;
}

bool ProjectionChooser::UseOwnSystems() const {
    return form_.offerOwnSystems && useOwnSystems_;
}

void ProjectionChooser::SetUseOwnSystems(bool use) {
    useOwnSystems_ = use;
}

bool ProjectionChooser::OwnSystemsCoverEveryImage() const {
    return form_.offerOwnSystems &&
           std::none_of(form_.ownClauses.begin(), form_.ownClauses.end(),
                        [](const std::string& clause) { return clause.empty(); });
}

// The first image's own system, selected in its group, so that the window opens on it.
void ProjectionChooser::PreselectOwnSystem() {
    const auto first = std::find_if(form_.ownClauses.begin(), form_.ownClauses.end(),
                                    [](const std::string& clause) { return !clause.empty(); });
    if (!form_.offerOwnSystems || first == form_.ownClauses.end()) {
        return;
    }
    for (std::size_t group = 0; group < groupHeaderLines_.size(); ++group) {
        const std::vector<std::size_t> lines =
            GroupProjectionLines(projectionLines_, groupHeaderLines_[group]);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto entry = ParseProjectionLine(projectionLines_[lines[i]]);
            if (entry && CoordSysClause(*entry) == *first) {
                cmbGroup_Click(static_cast<int>(group));
                SelectProjection(static_cast<int>(i));
                return;
            }
        }
    }
}

void ProjectionChooser::cmdCancel_Click() {
    if (closed_) {
        return;
    }
    result_ = kNoChoice;
    closed_ = true;
}

void ProjectionChooser::CloseBox() {
    cmdCancel_Click();
}

bool ProjectionChooser::IsClosed() const {
    return closed_;
}

const std::string& ProjectionChooser::Result() const {
    return result_;
}

}  // namespace marlo
