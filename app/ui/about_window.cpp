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
      titleLabel_(new QLabel("Application Title", this)),
      descriptionLabel_(new QLabel("App Description", this)),
      webPageLink_(new LinkLabel(kWebAddress, this)) {
    setObjectName("frmAbout");
    titleLabel_->setObjectName("lblTitle");
    QFont titleFont = titleLabel_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleLabel_->setFont(titleFont);
    descriptionLabel_->setObjectName("lblDescription");
    descriptionLabel_->setTextFormat(Qt::PlainText);
    descriptionLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    webPageLink_->setObjectName("lblAbout");
    webPageLink_->setToolTip(kAboutLinkToolTip);

    auto* line = new QFrame(this);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* cmdOK = NewButton("cmdOK", "OK", this);
    cmdOK->setDefault(true);
    auto* cmdSysInfo = NewButton("cmdSysInfo", "&System Info...", this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(titleLabel_);
    texts->addSpacing(8);
    texts->addWidget(descriptionLabel_);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(NewPicture("picIcon", ":/marlo/marlo.svg", 48, this));
    top->addSpacing(12);
    top->addLayout(texts, 1);
    top->addWidget(NewPicture("Image1", ":/marlo/logo.svg", 64, this));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(webPageLink_, 0, Qt::AlignBottom);
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
    connect(webPageLink_, &LinkLabel::clicked, this, [this] { dialogs_.OpenUrl(kWebAddress); });
    Load();
}

void AboutWindow::Load() {
    setWindowTitle(QString::fromStdString(AboutCaption()));
    titleLabel_->setText(QString::fromStdString(AboutTitle()));
    descriptionLabel_->setText(DisplayText(AboutDescription(texts_)));
}

void AboutWindow::StartSystemInformation() {
    ShowSystemInformationUnavailable(dialogs_);
}

}  // namespace marlo::ui
