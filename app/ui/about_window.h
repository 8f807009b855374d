#pragma once

#include <QDialog>

#include "presenters/about_info.h"

class QLabel;
class QPushButton;

namespace marlo::ui {

class QtUserInteraction;
class LinkLabel;

// frmAbout: name and version, contact lines, the link to the maker's page and the System
// Information button.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    AboutWindow(const Texts& texts, QtUserInteraction& dialogs, QWidget* parent = nullptr);

    // Puts the texts on; the description follows the current interface language.
    void Load();

private:
    void StartSystemInformation();

    const Texts& texts_;
    QtUserInteraction& dialogs_;
    QLabel* titleLabel_;
    QLabel* descriptionLabel_;
    LinkLabel* webPageLink_;
};

}  // namespace marlo::ui
