#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace marlo {
class ProjectionWindow;
}

namespace marlo::ui {

// frmMapInfoProj: the looks of the projection window. What a pick or a button means is the
// core's ProjectionWindow; this dialog shows its lists and hands it the user's actions.
class ProjectionDialog final : public QDialog {
    Q_OBJECT
public:
    ProjectionDialog(ProjectionWindow& window, QWidget* parent = nullptr);

    // Closing the window by its close box or Escape counts as Cancel.
    void reject() override;
    // Tells the window it was closed when the dialog went without a button.
    void EnsureClosed();

private:
    void ShowGroups();
    void ShowProjections();
    void PickGroup(int index);
    void Search(const QString& text);
    void UseAnotherList();
    void Confirm();
    void Cancel();
    // The "no matches" line and whether OK can be pressed, as the window stands.
    void ShowState();
    void SetChoicesEnabled(bool enabled);

    ProjectionWindow& window_;
    QLabel* searchLabel_;
    QLineEdit* searchField_;
    QLabel* groupLabel_;
    QComboBox* groupList_;
    QLabel* projectionLabel_;
    QComboBox* projectionList_;
    QLabel* noMatchesLabel_ = nullptr;
    QCheckBox* ownSystemBox_ = nullptr;
    QCheckBox* noSystemBox_ = nullptr;
    QPushButton* anotherListButton_;
    QPushButton* cancelButton_;
    QPushButton* okButton_;
};

}  // namespace marlo::ui
