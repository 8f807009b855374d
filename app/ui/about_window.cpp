#include "ui/about_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "presenters/main_window.h"
#include "ui/link_label.h"
#include "ui/qt_user_interaction.h"

namespace marlo::ui {

namespace {

QLabel* NewPicture(const char* name, const QString& resource, int side, QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setPixmap(QIcon(resource).pixmap(side, side));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return picture;
}

QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumWidth(110);
    return button;
}

}  // namespace

AboutWindow::AboutWindow(const Texts& interfaceTexts, QtUserInteraction& dialogs, QWidget* parent)
    : QDialog(parent),
      texts_(interfaceTexts),
      dialogs_(dialogs),
      lblTitle_(new QLabel("Application Title", this)),
      lblDescription_(new QLabel("App Description", this)),
      lblAbout_(new LinkLabel(kWebAddress, this)) {
    setObjectName("frmAbout");
    lblTitle_->setObjectName("lblTitle");
    QFont titleFont = lblTitle_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    lblTitle_->setFont(titleFont);
    lblDescription_->setObjectName("lblDescription");
    lblDescription_->setTextFormat(Qt::PlainText);
    lblDescription_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblAbout_->setObjectName("lblAbout");
    lblAbout_->setToolTip(kAboutLinkToolTip);

    auto* line = new QFrame(this);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* cmdOK = NewButton("cmdOK", "OK", this);
    cmdOK->setDefault(true);
    auto* cmdSysInfo = NewButton("cmdSysInfo", "&System Info...", this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle_);
    texts->addSpacing(8);
    texts->addWidget(lblDescription_);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(NewPicture("picIcon", ":/marlo/marlo.svg", 48, this));
    top->addSpacing(12);
    top->addLayout(texts, 1);
    top->addWidget(NewPicture("Image1", ":/marlo/logo.svg", 64, this));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblAbout_, 0, Qt::AlignBottom);
    bottom->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutWindow::StartSystemInformation);
    connect(lblAbout_, &LinkLabel::clicked, this, [this] { dialogs_.OpenUrl(kWebAddress); });
    Load();
}

void AboutWindow::Load() {
    setWindowTitle(QString::fromStdString(AboutCaption()));
    lblTitle_->setText(QString::fromStdString(AboutTitle()));
    lblDescription_->setText(DisplayText(AboutDescription(texts_)));
}

void AboutWindow::StartSystemInformation() {
    ShowSystemInformationUnavailable(dialogs_);
}

}  // namespace marlo::ui
