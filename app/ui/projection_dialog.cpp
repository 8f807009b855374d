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
      lblSearch_(NewLabel("lblSearch", window.SearchCaption(), this)),
      txtSearch_(new QLineEdit(this)),
      label1_(NewLabel("Label1", window.GroupCaption(), this)),
      cmbGroup_(NewList("cmbGroup", this)),
      label2_(NewLabel("Label2", window.ProjectionCaption(), this)),
      cmbProj_(NewList("cmbProj", this)),
      cmdOtherList_(NewButton("cmdOtherList", window.AnotherListCaption(), this)),
      cmdCancel_(NewButton("cmdCancel", window.CancelCaption(), this)),
      cmdOK_(NewButton("cmdOK", window.OkCaption(), this)) {
    setObjectName("frmMapInfoProj");
    setWindowTitle(QString::fromStdString(window.Caption()));
    cmdOK_->setDefault(true);
    txtSearch_->setObjectName("txtSearch");
    txtSearch_->setClearButtonEnabled(true);
    lblSearch_->setBuddy(txtSearch_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOtherList_);
    buttons->addStretch();
    buttons->addWidget(cmdCancel_);
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSearch_);
    layout->addWidget(txtSearch_);
    layout->addSpacing(6);
    layout->addWidget(label1_);
    layout->addWidget(cmbGroup_);
    layout->addSpacing(6);
    layout->addWidget(label2_);
    layout->addWidget(cmbProj_);
    lblNoMatches_ = NewLabel("lblNoMatches", window.NoMatchesCaption(), this);
    lblNoMatches_->hide();
    layout->addWidget(lblNoMatches_);
    if (window.OwnSystemsOffered()) {
        // Inputs that state their own coordinate system always keep it: the box says so.
        // When every input states one, nothing is left to choose.
        chkOwnSystem_ = new QCheckBox(QString::fromStdString(window.OwnSystemsCaption()), this);
        chkOwnSystem_->setObjectName("chkOwnSystem");
        chkOwnSystem_->setChecked(true);
        chkOwnSystem_->setEnabled(false);
        layout->addSpacing(6);
        layout->addWidget(chkOwnSystem_);
        SetChoicesEnabled(!window.OwnSystemsCoverEveryImage());
    }
    if (window.NoSystemOffered()) {
        chkNoSystem_ = new QCheckBox(QString::fromStdString(window.NoSystemCaption()), this);
        chkNoSystem_->setObjectName("chkNoSystem");
        chkNoSystem_->setChecked(window.NoSystem());
        SetChoicesEnabled(!window.NoSystem());
        connect(chkNoSystem_, &QCheckBox::toggled, this, [this](bool checked) {
            window_.SetNoSystem(checked);
            SetChoicesEnabled(!checked);
            ShowState();
        });
        layout->addSpacing(6);
        layout->addWidget(chkNoSystem_);
    }
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowGroups();
    connect(cmbGroup_, &QComboBox::currentIndexChanged, this, &ProjectionDialog::PickGroup);
    connect(cmbProj_, &QComboBox::currentIndexChanged, this, [this](int index) {
        window_.SelectProjection(index);
        ShowState();
    });
    connect(txtSearch_, &QLineEdit::textChanged, this, &ProjectionDialog::Search);
    connect(cmdOtherList_, &QPushButton::clicked, this, &ProjectionDialog::UseAnotherList);
    connect(cmdOK_, &QPushButton::clicked, this, &ProjectionDialog::Confirm);
    connect(cmdCancel_, &QPushButton::clicked, this, &ProjectionDialog::Cancel);
}

void ProjectionDialog::ShowGroups() {
    Fill(cmbGroup_, window_.GroupNames(), window_.GroupIndex());
    ShowProjections();
}

void ProjectionDialog::ShowProjections() {
    Fill(cmbProj_, window_.ProjectionNames(), window_.ProjectionIndex());
    ShowState();
}

void ProjectionDialog::ShowState() {
    lblNoMatches_->setVisible(window_.SearchFindsNothing());
    // OK gives a choice or is not there to press: Enter cannot end the window without one.
    cmdOK_->setEnabled(window_.CanConfirm());
}

void ProjectionDialog::SetChoicesEnabled(bool enabled) {
    for (QWidget* choice : {static_cast<QWidget*>(txtSearch_), static_cast<QWidget*>(cmbGroup_),
                            static_cast<QWidget*>(cmbProj_)}) {
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
