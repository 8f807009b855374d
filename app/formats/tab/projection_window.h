#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "conversion/conversion_context.h"

namespace marlo {

// The projection window's behaviour without its looks: the user picks a group, then a
// projection of that group, from MapInfo's projection list. The Qt window, the headless front
// end and the tests drive it through these calls; closing it any way but OK with a projection
// chosen leaves the result "error".
class ProjectionWindow {
public:
    ProjectionWindow(ConversionContext& form, std::string projectionListPath);

    // Puts the captions on and fills the group list from the projection list file.
    // UstalenieProjekcji calls it before it shows the window; later calls do nothing.
    void Load();

    std::string Caption() const;
    std::string Label1Caption() const;
    std::string Label2Caption() const;
    std::string OkCaption() const;
    std::string CancelCaption() const;

    // cmbGroup: the listed group names and the picked one (-1 when none).
    const std::vector<std::string>& GroupNames() const;
    int GroupIndex() const;
    void cmbGroup_Click(int index);

    // cmbProj: the listed projection names, the selected one (-1 when none) and the text shown.
    const std::vector<std::string>& ProjectionNames() const;
    int ProjectionIndex() const;
    void SelectProjection(int index);
    void SetProjectionText(const std::string& text);  // a text typed by the user
    const std::string& ProjectionText() const;

    void cmdOK_Click();
    void cmdCancel_Click();
    void CloseBox();  // the window's close box: the same as Cancel
    bool IsClosed() const;

    // "CoordSys Earth Projection ..." after OK with a projection, "error" otherwise.
    const std::string& Result() const;

private:
    // The projection line the shown name stands for.
    std::optional<std::size_t> ChosenLine() const;

    ConversionContext& form_;
    std::string projectionListPath_;
    std::vector<std::string> projectionLines_;
    std::vector<std::string> groupNames_;
    std::vector<std::size_t> groupHeaderLines_;
    std::vector<std::string> projectionNames_;
    std::vector<std::size_t> projectionNameLines_;
    int groupIndex_ = -1;
    int projectionIndex_ = -1;
    std::string projectionText_;
    std::string result_ = "error";
    bool closed_ = false;
    bool loaded_ = false;
    std::string caption_;
    std::string label1Caption_;
    std::string label2Caption_;
    std::string okCaption_;
    std::string cancelCaption_;
};

}  // namespace marlo
