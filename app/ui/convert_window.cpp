#include "ui/convert_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>
#include <QVBoxLayout>

#include "platform/program_folders.h"
#include "projection/projection_choice.h"
#include "text/catalogue.h"
#include "ui/about_window.h"
#include "ui/link_label.h"
#include "ui/summary_window.h"

namespace marlo::ui {

namespace {

constexpr const char* kWindowCaption = "Tessaly";

QGroupBox* NewFrame(const char* name, const char* caption, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    return frame;
}

// The controls that get a mnemonic, in the order they choose their letters.
constexpr const char* kMnemonicControls[] = {"Frame2",       "Frame1",    "cmbOK",        "cmdExit",
                                             "chkKeepGoing", "cmdFolder", "chkSubfolders"};

// The caption with "&" before the first letter no earlier control took, trying the starts of
// words from the last word back ("Convert &to:"), then every letter.
QString WithMnemonic(const QString& caption, QString& taken) {
    std::vector<qsizetype> candidates;
    for (qsizetype i = caption.size() - 1; i >= 0; --i) {
        if (caption[i].isLetter() && (i == 0 || caption[i - 1].isSpace())) {
            candidates.push_back(i);
        }
    }
    for (qsizetype i = 0; i < caption.size(); ++i) {
        candidates.push_back(i);
    }
    for (const qsizetype i : candidates) {
        const QChar letter = caption[i].toLower();
        if (caption[i].isLetter() && !taken.contains(letter)) {
            taken += letter;
            return caption.left(i) + '&' + caption.mid(i);
        }
    }
    return caption;
}

// Local files of a drop, or none when anything else is among them.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        files << url.toLocalFile();
    }
    return files;
}

// The status line: each line of its text (one fact) on a line of its own, shortened in the
// middle, where a path's folders are, to the width the other controls give the window; it
// never widens the window nor wraps a path. The whole text is its tooltip.
class StatusLines final : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override {
        const auto lines = static_cast<int>(text().count('\n') + 1);
        return {0, lines * fontMetrics().lineSpacing() + contentsMargins().top() +
                       contentsMargins().bottom()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect area = contentsRect();
        const QFontMetrics metrics = fontMetrics();
        int baseline = area.top() + metrics.ascent();
        for (const QString& line : text().split('\n')) {
            painter.drawText(area.left(), baseline,
                             metrics.elidedText(line, Qt::ElideMiddle, area.width()));
            baseline += metrics.lineSpacing();
        }
    }
};

}  // namespace

ConvertWindow::ConvertWindow(SettingsStore& settings, QWidget* parent)
    : QWidget(parent),
      dialogs_(this),
      env_(dialogs_),
      procedures_(env_, dialogs_, settings, *this) {
    dialogs_.UseTexts(env_.texts);
    setObjectName("frmConvert");
    setWindowTitle(kWindowCaption);
    env_.folders = {UserDataFolder(), ShippedProjectionFolder()};
    setAcceptDrops(true);
    BuildControls();
    ConnectControls();
    procedures_.Load();
}

ConvertWindow::~ConvertWindow() = default;

QRadioButton* ConvertWindow::NewOption(const char* name, const char* caption, QButtonGroup* group) {
    auto* option = new QRadioButton(caption, this);
    option->setObjectName(name);
    // One group per side: one Tab stop for each, the arrow keys select within it. Which
    // option ends up selected is still the procedures' decision (ShowOptions).
    group->addButton(option);
    return option;
}

QAbstractButton* ConvertWindow::NewLanguageButton(const char* name, const char* picture,
                                                  const char* toolTip) {
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(30, 15));
    button->setToolTip(QString::fromUtf8(toolTip));
    return button;
}

void ConvertWindow::BuildControls() {
    auto* inputGroup = new QButtonGroup(this);
    auto* outputGroup = new QButtonGroup(this);
    inputOptions_ = {{FileFormat::GeoTIFF, NewOption("optGEOin", "geotiff", inputGroup)},
                     {FileFormat::TAB, NewOption("optTABin", "tab", inputGroup)},
                     {FileFormat::TFW, NewOption("optTFWin", "tfw", inputGroup)}};
    outputOptions_ = {{FileFormat::GeoTIFF, NewOption("optGEO", "geotiff", outputGroup)},
                      {FileFormat::TAB, NewOption("optTAB", "tab", outputGroup)},
                      {FileFormat::TFW, NewOption("optTFW", "tfw", outputGroup)}};
    auto* frames = new QHBoxLayout;
    for (auto [frame, options] :
         {std::pair{NewFrame("Frame2", "Convert from:", this), &inputOptions_},
          std::pair{NewFrame("Frame1", "Convert to:", this), &outputOptions_}}) {
        auto* column = new QVBoxLayout(frame);
        for (const auto& [format, option] : *options) {
            column->addWidget(option);
        }
        frames->addWidget(frame);
    }

    keepGoing_ = new QCheckBox("Keep going after a failed file", this);
    keepGoing_->setObjectName("chkKeepGoing");
    inPlace_ = new QCheckBox("Write the georeference into the images themselves (no copy)", this);
    inPlace_->setObjectName("chkInPlace");
    inPlaceWarning_ = new QLabel("Warning: the images will be changed.", this);
    inPlaceWarning_->setObjectName("lblInPlaceWarning");
    inPlaceWarning_->hide();
    auto* cmdFolder = new QPushButton("Choose a folder...", this);
    cmdFolder->setObjectName("cmdFolder");
    auto* chkSubfolders = new QCheckBox("With subfolders", this);
    chkSubfolders->setObjectName("chkSubfolders");
    auto* folderChoice = new QHBoxLayout;
    folderChoice->addWidget(cmdFolder);
    folderChoice->addWidget(chkSubfolders);
    folderChoice->addStretch();

    auto* cmbOK = new QPushButton("OK", this);
    cmbOK->setObjectName("cmbOK");
    cmbOK->setToolTip("Start conversion...");
    cmbOK->setDefault(true);
    auto* cmdExit = new QPushButton("About", this);
    cmdExit->setObjectName("cmdExit");
    cmdExit->setToolTip("Cancel");
    auto* lblLNG = new QLabel("Language version:", this);
    lblLNG->setObjectName("lblLNG");
    auto* controls = new QHBoxLayout;
    controls->addWidget(lblLNG);
    controls->addWidget(NewLanguageButton("cmdPL", ":/marlo/flag_pl.svg", "Zmień na Polski"));
    controls->addWidget(NewLanguageButton("cmdEN", ":/marlo/flag_en.svg", "Switch to English"));
    controls->addStretch();
    controls->addSpacing(16);
    controls->addWidget(cmbOK);
    controls->addWidget(cmdExit);

    auto* line = new QFrame(this);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    status_ = new StatusLines(this);
    status_->setObjectName("lblStatus");
    status_->setTextFormat(Qt::PlainText);
    status_->hide();
    auto* lblAbout = new LinkLabel(kWebAddress, this);
    lblAbout->setObjectName("lblAbout");
    lblAbout->setToolTip("Click to open page...");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(folderChoice);
    layout->addWidget(keepGoing_);
    layout->addWidget(inPlace_);
    layout->addWidget(inPlaceWarning_);
    layout->addLayout(controls);
    layout->addWidget(status_);
    layout->addWidget(line);
    layout->addWidget(lblAbout, 0, Qt::AlignHCenter);
    // The window always takes the size its captions need, in either language.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetTabOrder({"optGEOin", "optTABin", "optTFWin", "optGEO", "optTAB", "optTFW", "cmdFolder",
                 "chkSubfolders", "chkKeepGoing", "chkInPlace", "cmbOK", "cmdExit", "cmdPL",
                 "cmdEN"});
    cmbOK->setFocus();
}

void ConvertWindow::SetTabOrder(std::initializer_list<const char*> names) {
    QWidget* previous = nullptr;
    for (const char* name : names) {
        QWidget* next = findChild<QWidget*>(name);
        if (previous != nullptr) {
            setTabOrder(previous, next);
        }
        previous = next;
    }
}

void ConvertWindow::ConnectControls() {
    const std::map<FileFormat, void (MainWindowProcedures::*)()> inputClicks = {
        {FileFormat::GeoTIFF, &MainWindowProcedures::ChooseGeoTiffInput},
        {FileFormat::TAB, &MainWindowProcedures::ChooseTableInput},
        {FileFormat::TFW, &MainWindowProcedures::ChooseWorldFileInput}};
    for (const auto& [format, option] : inputOptions_) {
        const auto click = inputClicks.at(format);
        connect(option, &QRadioButton::clicked, this, [this, click] { (procedures_.*click)(); });
    }
    for (const auto& [format, option] : outputOptions_) {
        connect(option, &QRadioButton::clicked, this,
                [this, format = format] { procedures_.ClickOutput(format); });
    }
    const auto onClick = [this](const char* name, void (MainWindowProcedures::*procedure)()) {
        connect(findChild<QAbstractButton*>(name), &QAbstractButton::clicked, this,
                [this, procedure] { (procedures_.*procedure)(); });
    };
    onClick("cmbOK", &MainWindowProcedures::StartConversion);
    onClick("cmdExit", &MainWindowProcedures::ShowAbout);
    onClick("cmdFolder", &MainWindowProcedures::ChooseFolder);
    connect(findChild<QCheckBox*>("chkSubfolders"), &QCheckBox::toggled, this,
            [this](bool checked) { procedures_.SetWithSubfolders(checked); });
    onClick("cmdPL", &MainWindowProcedures::SwitchToPolish);
    onClick("cmdEN", &MainWindowProcedures::SwitchToEnglish);
    connect(findChild<LinkLabel*>("lblAbout"), &LinkLabel::clicked, this,
            [this] { procedures_.OpenWebPage(); });
    connect(keepGoing_, &QCheckBox::clicked, this,
            [this](bool checked) { procedures_.SetKeepGoing(checked); });
    connect(inPlace_, &QCheckBox::clicked, this,
            [this](bool checked) { procedures_.SetInPlace(checked); });
}

void ConvertWindow::SetControlText(const std::string& control, ControlText property,
                                   const std::string& text) {
    QWidget* widget = findChild<QWidget*>(QString::fromStdString(control));
    if (widget == nullptr) {
        throw RunTimeError(err::TypeMismatch, "Object required: " + control);
    }
    const QString value = QString::fromStdString(text);
    if (property == ControlText::ToolTip) {
        widget->setToolTip(value);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        frame->setTitle(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    }
}

void ConvertWindow::ShowOptions(const FormatOptions& options) {
    FormatOptions shown = options;
    const auto showSide = [&shown](const std::map<FileFormat, QRadioButton*>& buttons,
                                   OptionButton& (*optionOf)(FormatOptions&, FileFormat)) {
        for (const auto& [format, button] : buttons) {
            const bool selected = optionOf(shown, format).selected;
            button->setChecked(selected);
            button->setEnabled(optionOf(shown, format).enabled);
            // Tab stops at the selected option of each side only; arrows move within it.
            button->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    showSide(inputOptions_, &InputOption);
    showSide(outputOptions_, &OutputOption);
}

void ConvertWindow::ShowAboutWindow() {
    if (about_ == nullptr) {
        about_ = new AboutWindow(env_.texts, dialogs_, this);
    }
    about_->Load();
    dialogs_.runModal(*about_);
}

void ConvertWindow::ShowStatus(const std::string& text) {
    status_->setText(QString::fromStdString(text));
    status_->setToolTip(status_->text());
    status_->setVisible(!text.empty());
}

void ConvertWindow::ShowKeepGoing(bool keepGoing) {
    keepGoing_->setChecked(keepGoing);
}

void ConvertWindow::ShowInPlace(bool inPlace, bool warningShown) {
    inPlace_->setChecked(inPlace);
    inPlaceWarning_->setVisible(warningShown);
}

void ConvertWindow::ShowSummary(const RunOutcome& outcome) {
    if (summary_ == nullptr) {
        summary_ = new SummaryWindow(
            env_,
            {[this] {
                 QApplication::clipboard()->setText(
                     QString::fromStdString(procedures_.SummaryForCopy()));
             },
             [this] { SaveSummaryCsv(); }, [this] { procedures_.OpenOutputFolder(); },
             [this] { SaveFootprints(); }},
            this);
    }
    summary_->Show(outcome);
}

std::string ConvertWindow::AskSummaryFile(std::int16_t caption, const char* filter,
                                          const char* name) {
    const std::string suggested = procedures_.LastRun().plan.OutputFolder() + "/" + name;
    std::string title = env_.texts.Caption(caption);
    while (!title.empty() && title.back() == '.') {
        title.pop_back();
    }
    // The dialog belongs to the summary, which keeps the focus when it closes.
    return dialogs_.AskSaveFileName(title, filter, suggested, summary_);
}

void ConvertWindow::SaveSummaryCsv() {
    const std::string path =
        AskSummaryFile(caption::SaveCsv, "CSV (*.csv)|*.csv", "marlo-summary.csv");
    if (!path.empty()) {
        procedures_.SaveSummaryCsv(path);
    }
}

void ConvertWindow::SaveFootprints() {
    const std::string path = AskSummaryFile(
        caption::SaveFootprints, "GeoJSON (*.geojson)|*.geojson", "marlo-footprints.geojson");
    if (!path.empty()) {
        procedures_.SaveFootprints(path);
    }
}

void ConvertWindow::AddMnemonics() {
    QString taken;
    for (const char* name : kMnemonicControls) {
        if (auto* frame = findChild<QGroupBox*>(name)) {
            frame->setTitle(WithMnemonic(frame->title(), taken));
        } else if (auto* button = findChild<QAbstractButton*>(name)) {
            button->setText(WithMnemonic(button->text(), taken));
        }
    }
}

void ConvertWindow::ShowLanguage(const std::string& language) {
    // Every caption of the language is in place now.
    AddMnemonics();
    if (qtTexts_) {
        QApplication::removeTranslator(qtTexts_.get());
        qtTexts_.reset();
    }
    // Qt's own texts and numbers (a file dialog's sizes, its dates) follow the window's
    // language, not the system's: English on a Polish desktop, Polish on an English one.
    QLocale::setDefault(language == "polski" ? QLocale(QLocale::Polish, QLocale::Poland)
                                             : QLocale(QLocale::English, QLocale::UnitedStates));
    if (language != "polski") {
        return;
    }
    auto texts = std::make_unique<QTranslator>();
    if (texts->load("qt_pl", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(texts.get());
        qtTexts_ = std::move(texts);
    }
}

bool ConvertWindow::ChooseFiles(const QStringList& paths) {
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        files.push_back(QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toStdString());
    }
    return procedures_.ChooseFiles(files);
}

void ConvertWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void ConvertWindow::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (!files.isEmpty()) {
        event->acceptProposedAction();
        ChooseFiles(files);
    }
}

}  // namespace marlo::ui
