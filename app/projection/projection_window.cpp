#include "projection/projection_window.h"

#include <algorithm>
#include <cctype>

#include "projection/projection_list.h"
#include "text/catalogue.h"
#include "text/trimmed.h"

namespace marlo {

namespace {

constexpr const char* kClauseStart = "CoordSys Earth Projection ";

bool ValidIndex(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

ProjectionChooser::ProjectionChooser(GdalBridge bridge, UserInteraction& ui,
                                     const FileSystemService& files, ProjectionQuestion question,
                                     std::string projectionListPath,
                                     std::function<std::string()> locateAnotherList,
                                     ProjectionAliases aliases)
    : bridge_(bridge),
      ui_(ui),
      files_(files),
      question_(std::move(question)),
      projectionListPath_(std::move(projectionListPath)),
      locateAnotherList_(std::move(locateAnotherList)),
      aliases_(std::move(aliases)) {}

void ProjectionChooser::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    caption_ = bridge_.texts.Caption(1);
    label1Caption_ = bridge_.texts.Caption(2);
    label2Caption_ = bridge_.texts.Caption(3);
    okCaption_ = bridge_.texts.Caption(4);
    cancelCaption_ = bridge_.texts.Caption(caption::Cancel);
    if (!files_.FileExists(projectionListPath_)) {
        ui_.ShowMessage(bridge_.texts.MessageWithPath(msg::UnableToOpenFile, projectionListPath_),
                        MessageIcon::Critical);
        result_.reset();
        return;
    }
    projectionLines_ = ReadProjectionLines(files_, projectionListPath_);
    for (std::size_t line = 0; line < projectionLines_.size(); ++line) {
        if (auto name = GroupName(projectionLines_[line])) {
            // Shown without the blanks that set the name off from the hyphens ("--- Poland ---"),
            // so that a typed letter finds its group.
            allGroupNames_.push_back(Trimmed(*name));
            allGroupHeaderLines_.push_back(line);
        }
    }
    ShowMatchingGroups();
    if (!groupHeaderLines_.empty() && groupHeaderLines_.front() == 0) {
        SelectGroup(0);
    }
    // The first input's own system, else the projection of the last run.
    const bool preselected = (question_.offerOwnSystems && Preselect(question_.firstOwnClause)) ||
                             Preselect(question_.rememberedProjection);
    // A GeoTIFF made from a world file, on a first run: no system is the answer that stamps
    // none on coordinates that are almost always projected metres, unlike the list's first
    // entry (WGS 84).
    noSystem_ = !preselected && question_.noSystemOffered;
}

std::string ProjectionChooser::SearchCaption() const {
    return bridge_.texts.Caption(caption::Search);
}
std::string ProjectionChooser::AnotherListCaption() const {
    return bridge_.texts.Caption(caption::UseAnotherList);
}
std::string ProjectionChooser::NoMatchesCaption() const {
    return bridge_.texts.Caption(caption::NoMatches);
}
std::string ProjectionChooser::OwnSystemsCaption() const {
    return bridge_.texts.Caption(caption::OwnSystem);
}
std::string ProjectionChooser::NoSystemCaption() const {
    return bridge_.texts.Caption(caption::NoSystem);
}

bool ProjectionChooser::MatchesSearch(const ProjectionEntry& entry,
                                      const std::string& group) const {
    if (searchQuery_.empty() || ContainsForSearch(entry.name, searchQuery_) ||
        ContainsForSearch(group, searchQuery_)) {
        return true;
    }
    if (const auto known = aliases_.find(entry.epsg); known != aliases_.end()) {
        for (const std::string& alias : known->second) {
            if (ContainsForSearch(alias, searchQuery_)) {
                return true;
            }
        }
    }
    return EpsgCodeNamed(searchQuery_) && entry.epsg != 0 &&
           std::to_string(entry.epsg).rfind(searchQuery_, 0) == 0;
}

void ProjectionChooser::ShowMatchingGroups() {
    groupNames_.clear();
    groupHeaderLines_.clear();
    for (std::size_t group = 0; group < allGroupHeaderLines_.size(); ++group) {
        const auto lines = GroupProjectionLines(projectionLines_, allGroupHeaderLines_[group]);
        // Without a search every group is listed, even one that holds no projection.
        if (searchQuery_.empty() || std::any_of(lines.begin(), lines.end(), [&](std::size_t line) {
                return MatchesSearch(*ParseProjectionLine(projectionLines_[line]),
                                     allGroupNames_[group]);
            })) {
            groupNames_.push_back(allGroupNames_[group]);
            groupHeaderLines_.push_back(allGroupHeaderLines_[group]);
        }
    }
}

void ProjectionChooser::SetSearchText(const std::string& text) {
    const std::size_t shownHeader = ValidIndex(groupIndex_, groupHeaderLines_.size())
                                        ? groupHeaderLines_[static_cast<std::size_t>(groupIndex_)]
                                        : std::string::npos;
    searchQuery_ = WithoutEpsgPrefix(text);
    if (const auto code = EpsgCodeNamed(searchQuery_)) {
        AddSystemFromGdal(*code);
    }
    ShowMatchingGroups();
    // The group shown stays when it still holds a match; otherwise the first that does.
    const auto kept = std::find(groupHeaderLines_.begin(), groupHeaderLines_.end(), shownHeader);
    SelectGroup(kept != groupHeaderLines_.end() ? static_cast<int>(kept - groupHeaderLines_.begin())
                                                : (groupHeaderLines_.empty() ? -1 : 0));
}

bool ProjectionChooser::ListHasCode(std::int32_t epsg) const {
    return std::any_of(projectionLines_.begin(), projectionLines_.end(), [epsg](const auto& line) {
        const auto entry = IsGroupHeader(line) ? std::nullopt : ParseProjectionLine(line);
        return entry && entry->epsg == epsg;
    });
}

void ProjectionChooser::AddSystemFromGdal(std::int32_t epsg) {
    if (epsg <= 0 || ListHasCode(epsg)) {
        return;
    }
    std::optional<ProjectionEntry> entry;
    try {
        entry = EntryFromGdal(bridge_, epsg);
    } catch (const Refusal&) {  // without GDAL's bridge, only the list's own systems
        return;
    }
    if (!entry) {
        return;
    }
    const std::string code = "EPSG:" + std::to_string(epsg);
    // A group of its own after the list's, which an empty line ends.
    projectionLines_.push_back("");
    allGroupHeaderLines_.push_back(projectionLines_.size());
    allGroupNames_.push_back(code);
    projectionLines_.push_back("--- " + code + " ---");
    projectionLines_.push_back("\"" + entry->name + "\\p" + std::to_string(epsg) + "\", " +
                               entry->parameters);
}

bool ProjectionChooser::SelectCode(std::int32_t epsg) {
    SetSearchText(std::to_string(epsg));
    for (std::size_t group = 0; group < groupHeaderLines_.size(); ++group) {
        const auto lines = GroupProjectionLines(projectionLines_, groupHeaderLines_[group]);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (ParseProjectionLine(projectionLines_[lines[i]])->epsg == epsg) {
                SelectGroup(static_cast<int>(group));
                SetProjectionText(ParseProjectionLine(projectionLines_[lines[i]])->name);
                return true;
            }
        }
    }
    return false;
}

bool ProjectionChooser::UseAnotherList() {
    const std::string other = locateAnotherList_ ? locateAnotherList_() : std::string();
    if (other.empty()) {
        return false;
    }
    projectionListPath_ = other;
    projectionLines_.clear();
    allGroupNames_.clear();
    allGroupHeaderLines_.clear();
    SelectGroup(-1);
    loaded_ = false;
    Load();
    SetSearchText(searchQuery_);
    return true;
}

std::string ProjectionChooser::Caption() const {
    return caption_;
}
std::string ProjectionChooser::GroupCaption() const {
    return label1Caption_;
}
std::string ProjectionChooser::ProjectionCaption() const {
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

void ProjectionChooser::SelectGroup(int index) {
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
        const ProjectionEntry entry = *ParseProjectionLine(projectionLines_[line]);
        if (MatchesSearch(entry, groupNames_[static_cast<std::size_t>(index)])) {
            projectionNames_.push_back(entry.name);
            projectionNameLines_.push_back(line);
        }
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

void ProjectionChooser::Confirm() {
    if (closed_) {
        return;
    }
    result_.reset();
    if (NoSystem()) {
        result_ = "";
    } else if (const auto line = ChosenLine()) {
        if (const auto projection = ParseProjectionLine(projectionLines_[*line])) {
            result_ = kClauseStart + projection->parameters;
        }
    } else if (OwnSystemsCoverEveryImage()) {
        result_ = "";
    }
    closed_ = true;
}

bool ProjectionChooser::OwnSystemsOffered() const {
    return question_.offerOwnSystems;
}

bool ProjectionChooser::CanConfirm() const {
    return NoSystem() || ChosenLine().has_value() || OwnSystemsCoverEveryImage();
}

bool ProjectionChooser::SearchFindsNothing() const {
    return !searchQuery_.empty() && groupNames_.empty();
}

bool ProjectionChooser::NoSystemOffered() const {
    return question_.noSystemOffered;
}

bool ProjectionChooser::NoSystem() const {
    return NoSystemOffered() && noSystem_;
}

void ProjectionChooser::SetNoSystem(bool none) {
    noSystem_ = none;
}

void ProjectionChooser::KeepOwnSystemsOnly() {
    if (!closed_ && OwnSystemsOffered()) {
        result_ = "";
        closed_ = true;
    }
}

bool ProjectionChooser::OwnSystemsCoverEveryImage() const {
    return question_.offerOwnSystems && question_.ownSystemsCoverEveryImage;
}

bool ProjectionChooser::Preselect(const std::string& clause) {
    if (clause.empty()) {
        return false;
    }
    for (std::size_t group = 0; group < groupHeaderLines_.size(); ++group) {
        const std::vector<std::size_t> lines =
            GroupProjectionLines(projectionLines_, groupHeaderLines_[group]);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto entry = ParseProjectionLine(projectionLines_[lines[i]]);
            if (entry && CoordSysClause(*entry) == clause) {
                SelectGroup(static_cast<int>(group));
                SelectProjection(static_cast<int>(i));
                return true;
            }
        }
    }
    return false;
}

void ProjectionChooser::Cancel() {
    if (closed_) {
        return;
    }
    result_.reset();
    closed_ = true;
}

void ProjectionChooser::CloseBox() {
    Cancel();
}

bool ProjectionChooser::IsClosed() const {
    return closed_;
}

const std::optional<std::string>& ProjectionChooser::Result() const {
    return result_;
}

}  // namespace marlo
