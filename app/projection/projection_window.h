#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "crs/coordinate_systems.h"
#include "platform/file_system.h"
#include "platform/user_interaction.h"
#include "projection/projection_list.h"
#include "projection/projection_window_interface.h"

namespace marlo {

// What a run asks the projection window: whether the inputs state systems of their own, which
// the window offers to keep, and what it opens on.
struct ProjectionQuestion {
    bool offerOwnSystems = false;
    // Every input states a system: a chosen projection would serve none of them.
    bool ownSystemsCoverEveryImage = false;
    // The first input's own clause, which the window opens on, else the last run's choice.
    std::string firstOwnClause;
    std::string rememberedProjection;
    // GeoTIFF output may go without any coordinate system.
    bool noSystemOffered = false;
};

// The projection window's behaviour without its looks, on MapInfo's projection list. Closing
// it any way but OK with a projection chosen leaves no result.
class ProjectionChooser final : public ProjectionWindow {
public:
    // locateAnotherList asks the user for another list and returns its path, "" when none.
    ProjectionChooser(GdalBridge bridge, UserInteraction& ui, const FileSystemService& files,
                      ProjectionQuestion question, std::string projectionListPath,
                      std::function<std::string()> locateAnotherList = {},
                      ProjectionAliases aliases = {});

    // Puts the captions on and fills the group list from the projection list file.
    // AskForProjection calls it before it shows the window; later calls do nothing.
    void Load() override;

    std::string Caption() const override;
    std::string GroupCaption() const override;
    std::string ProjectionCaption() const override;
    std::string OkCaption() const override;
    std::string CancelCaption() const override;
    std::string SearchCaption() const override;
    std::string AnotherListCaption() const override;
    std::string NoMatchesCaption() const override;
    std::string OwnSystemsCaption() const override;
    std::string NoSystemCaption() const override;
    void SetSearchText(const std::string& text) override;
    bool SelectCode(std::int32_t epsg) override;
    bool UseAnotherList() override;
    const std::vector<std::string>& GroupNames() const override;
    int GroupIndex() const override;
    void SelectGroup(int index) override;
    const std::vector<std::string>& ProjectionNames() const override;
    int ProjectionIndex() const override;
    void SelectProjection(int index) override;
    void SetProjectionText(const std::string& text) override;
    const std::string& ProjectionText() const override;
    void Confirm() override;
    void Cancel() override;
    void CloseBox() override;
    bool IsClosed() const override;
    const std::optional<std::string>& Result() const override;
    bool OwnSystemsOffered() const override;
    bool OwnSystemsCoverEveryImage() const override;
    void KeepOwnSystemsOnly() override;
    bool CanConfirm() const override;
    bool SearchFindsNothing() const override;
    bool NoSystemOffered() const override;
    bool NoSystem() const override;
    void SetNoSystem(bool none) override;

private:
    GdalBridge bridge_;
    // Selects the entry with this CoordSys clause in its group; false when none has it.
    bool Preselect(const std::string& clause);
    // An entry the search lets through: by its name, its code, another name it is known by,
    // or the name of its group.
    bool MatchesSearch(const ProjectionEntry& entry, const std::string& group) const;
    // Lists a system the list lacks under a group of its own, when GDAL knows the code and a
    // table can hold the system.
    void AddSystemFromGdal(std::int32_t epsg);
    bool ListHasCode(std::int32_t epsg) const;
    // The groups that hold a projection the search lets through.
    void ShowMatchingGroups();
    // The projection line the shown name stands for.
    std::optional<std::size_t> ChosenLine() const;

    UserInteraction& ui_;
    const FileSystemService& files_;
    ProjectionQuestion question_;
    std::string projectionListPath_;
    std::function<std::string()> locateAnotherList_;
    ProjectionAliases aliases_;
    std::vector<std::string> projectionLines_;
    std::vector<std::string> allGroupNames_;
    std::vector<std::size_t> allGroupHeaderLines_;
    std::string searchQuery_;
    std::vector<std::string> groupNames_;
    std::vector<std::size_t> groupHeaderLines_;
    std::vector<std::string> projectionNames_;
    std::vector<std::size_t> projectionNameLines_;
    int groupIndex_ = -1;
    int projectionIndex_ = -1;
    std::string projectionText_;
    std::optional<std::string> result_;
    bool closed_ = false;
    bool loaded_ = false;
    bool noSystem_ = false;
    std::string caption_;
    std::string label1Caption_;
    std::string label2Caption_;
    std::string okCaption_;
    std::string cancelCaption_;
};

}  // namespace marlo
