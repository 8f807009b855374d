#include "ui/projection_dialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "projection/projection_window.h"
#include "text/catalogue.h"

namespace marlo::ui {

namespace {

// Projection names can be long: the lists show a useful width and their pop-ups the whole
// name.
QComboBox* NewList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setMinimumContentsLength(40);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return list;
}

QLabel* NewLabel(const char* name, const std::string& caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(caption), parent);
    label->setObjectName(name);
    return label;
}

QPushButton* NewButton(const char* name, const std::string& caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromStdString(caption), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The window fills its lists when it loads; loading twice changes nothing.
ProjectionWindow& LoadedWindow(ProjectionWindow& window) {
    window.Load();
    return window;
}

void Fill(QComboBox* list, const std::vector<std::string>& names, int current) {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& name : names) {
        list->addItem(QString::fromStdString(name));
    }
    list->setCurrentIndex(current);
    const int widest = list->view()->sizeHintForColumn(0);
    list->view()->setMinimumWidth(widest);
}

}  // namespace

ProjectionDialog::ProjectionDialog(ProjectionWindow& window, QWidget* parent)
    : QDialog(parent),
      window_(LoadedWindow(window)),
      searchLabel_(NewLabel("lblSearch", window.SearchCaption(), this)),
      searchField_(new QLineEdit(this)),
      groupLabel_(NewLabel("Label1", window.GroupCaption(), this)),
      groupList_(NewList("cmbGroup", this)),
      projectionLabel_(NewLabel("Label2", window.ProjectionCaption(), this)),
      projectionList_(NewList("cmbProj", this)),
      anotherListButton_(NewButton("cmdOtherList", window.AnotherListCaption(), this)),
      cancelButton_(NewButton("cmdCancel", window.CancelCaption(), this)),
      okButton_(NewButton("cmdOK", window.OkCaption(), this)) {
    setObjectName("frmMapInfoProj");
    setWindowTitle(QString::fromStdString(window.Caption()));
    okButton_->setDefault(true);
    searchField_->setObjectName("txtSearch");
    searchField_->setClearButtonEnabled(true);
    searchLabel_->setBuddy(searchField_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(anotherListButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(okButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(searchLabel_);
    layout->addWidget(searchField_);
    layout->addSpacing(6);
    layout->addWidget(groupLabel_);
    layout->addWidget(groupList_);
    layout->addSpacing(6);
    layout->addWidget(projectionLabel_);
    layout->addWidget(projectionList_);
    noMatchesLabel_ = NewLabel("lblNoMatches", window.NoMatchesCaption(), this);
    noMatchesLabel_->hide();
    layout->addWidget(noMatchesLabel_);
    if (window.OwnSystemsOffered()) {
        // Inputs that state their own coordinate system always keep it: the box says so.
        // When every input states one, nothing is left to choose.
        ownSystemBox_ = new QCheckBox(QString::fromStdString(window.OwnSystemsCaption()), this);
        ownSystemBox_->setObjectName("chkOwnSystem");
        ownSystemBox_->setChecked(true);
        ownSystemBox_->setEnabled(false);
        layout->addSpacing(6);
        layout->addWidget(ownSystemBox_);
        SetChoicesEnabled(!window.OwnSystemsCoverEveryImage());
    }
    if (window.NoSystemOffered()) {
        noSystemBox_ = new QCheckBox(QString::fromStdString(window.NoSystemCaption()), this);
        noSystemBox_->setObjectName("chkNoSystem");
        noSystemBox_->setChecked(window.NoSystem());
        SetChoicesEnabled(!window.NoSystem());
        connect(noSystemBox_, &QCheckBox::toggled, this, [this](bool checked) {
            window_.SetNoSystem(checked);
            SetChoicesEnabled(!checked);
            ShowState();
        });
        layout->addSpacing(6);
        layout->addWidget(noSystemBox_);
    }
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowGroups();
    connect(groupList_, &QComboBox::currentIndexChanged, this, &ProjectionDialog::PickGroup);
    connect(projectionList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        window_.SelectProjection(index);
        ShowState();
    });
    connect(searchField_, &QLineEdit::textChanged, this, &ProjectionDialog::Search);
    connect(anotherListButton_, &QPushButton::clicked, this, &ProjectionDialog::UseAnotherList);
    connect(okButton_, &QPushButton::clicked, this, &ProjectionDialog::Confirm);
    connect(cancelButton_, &QPushButton::clicked, this, &ProjectionDialog::Cancel);
}

void ProjectionDialog::ShowGroups() {
    Fill(groupList_, window_.GroupNames(), window_.GroupIndex());
    ShowProjections();
}

void ProjectionDialog::ShowProjections() {
    Fill(projectionList_, window_.ProjectionNames(), window_.ProjectionIndex());
    ShowState();
}

void ProjectionDialog::ShowState() {
    noMatchesLabel_->setVisible(window_.SearchFindsNothing());
    // OK gives a choice or is not there to press: Enter cannot end the window without one.
    okButton_->setEnabled(window_.CanConfirm());
}

void ProjectionDialog::SetChoicesEnabled(bool enabled) {
    for (QWidget* choice : {static_cast<QWidget*>(searchField_), static_cast<QWidget*>(groupList_),
                            static_cast<QWidget*>(projectionList_)}) {
        choice->setEnabled(enabled);
    }
}

void ProjectionDialog::PickGroup(int index) {
    if (index < 0) {
        return;
    }
    window_.SelectGroup(index);
    ShowProjections();
}

void ProjectionDialog::Search(const QString& text) {
    window_.SetSearchText(text.toStdString());
    ShowGroups();
}

void ProjectionDialog::UseAnotherList() {
    if (window_.UseAnotherList()) {
        ShowGroups();
    }
}

void ProjectionDialog::Confirm() {
    window_.Confirm();
    accept();
}

void ProjectionDialog::Cancel() {
    window_.Cancel();
    QDialog::reject();
}

void ProjectionDialog::reject() {
    EnsureClosed();
    QDialog::reject();
}

void ProjectionDialog::EnsureClosed() {
    if (!window_.IsClosed()) {
        window_.CloseBox();
    }
}

}  // namespace marlo::ui
