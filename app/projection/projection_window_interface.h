#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlo {

// The projection window as its looks drive it: the user picks a group, then a projection of
// that group. The Qt window, the headless front end and the tests show it through
// UserInteraction; the logic behind it lives with the projection list.
class ProjectionWindow {
public:
    virtual ~ProjectionWindow() = default;

    // Puts the captions on and fills the group list; later calls do nothing.
    virtual void Load() = 0;

    virtual std::string Caption() const = 0;
    virtual std::string GroupCaption() const = 0;
    virtual std::string ProjectionCaption() const = 0;
    virtual std::string OkCaption() const = 0;
    virtual std::string CancelCaption() const = 0;
    virtual std::string SearchCaption() const = 0;
    virtual std::string AnotherListCaption() const = 0;
    virtual std::string NoMatchesCaption() const = 0;
    virtual std::string OwnSystemsCaption() const = 0;
    virtual std::string NoSystemCaption() const = 0;

    // cmbGroup: the listed group names and the picked one (-1 when none).
    virtual const std::vector<std::string>& GroupNames() const = 0;
    virtual int GroupIndex() const = 0;
    virtual void SelectGroup(int index) = 0;

    // cmbProj: the listed projection names, the selected one (-1 when none) and the text shown.
    virtual const std::vector<std::string>& ProjectionNames() const = 0;
    virtual int ProjectionIndex() const = 0;
    virtual void SelectProjection(int index) = 0;
    virtual void SetProjectionText(const std::string& text) = 0;  // a text typed by the user
    virtual const std::string& ProjectionText() const = 0;

    // Shows only the projections whose name contains the text, or whose EPSG code starts with
    // it, and only the groups that hold one; "" shows them all. A whole EPSG code that the list
    // lacks, which GDAL knows and a table can hold, is shown in a group of its own.
    virtual void SetSearchText(const std::string& text) = 0;
    // Selects the projection with this EPSG code, from the list or from GDAL; false when
    // neither has it.
    virtual bool SelectCode(std::int32_t epsg) = 0;
    // Lets the user pick another projection list (MapInfo's own) and shows it from then on;
    // false when the user kept the current one.
    virtual bool UseAnotherList() = 0;

    virtual void Confirm() = 0;
    virtual void Cancel() = 0;
    virtual void CloseBox() = 0;  // the window's close box: the same as Cancel
    virtual bool IsClosed() const = 0;

    // "CoordSys Earth Projection ..." after OK with a projection; "" after OK without one when
    // every image keeps its own coordinate system, or with "no coordinate system" chosen;
    // nothing when no choice was made.
    virtual const std::optional<std::string>& Result() const = 0;

    // When the inputs may state their own systems (images, and world files by their image's
    // .aux.xml or .prj), each keeps its own: the chosen projection serves only the others.
    virtual bool OwnSystemsOffered() const = 0;
    // Whether every input of the run states its own system, so no common one is needed.
    virtual bool OwnSystemsCoverEveryImage() const = 0;
    // OK without a projection for a run that goes on after a failed file: inputs that state a
    // system keep it, the others fail alone.
    virtual void KeepOwnSystemsOnly() = 0;
    // GeoTIFF output: "no coordinate system" is an answer too.
    // Whether OK would give a choice: a projection picked, "no coordinate system", or every
    // input keeping its own.
    virtual bool CanConfirm() const = 0;
    // The search is on and no projection matches it.
    virtual bool SearchFindsNothing() const = 0;
    virtual bool NoSystemOffered() const = 0;
    virtual bool NoSystem() const = 0;
    virtual void SetNoSystem(bool none) = 0;
};

}  // namespace marlo
