#include "ui/data_series_page.h"

#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "ui/form_widgets.h"

namespace fractan::ui {
CDataSeriesPage::CDataSeriesPage(FormServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    record_.Reset();
    prefix_ = TextField("filePrefix");
    // An empty extension shows the first entry; any other text may be typed.
    extensionList_ = ListField("extension", {"txt", "dat"});
    extensionList_->setEditable(true);
    extensionList_->setMaximumWidth(140);
    path_ = TextField("filesPath");
    auto* browse = Button("filesPathBrowse", "...");
    start_ = NumberField("fileStart");
    step_ = NumberField("fileStep");
    end_ = NumberField("fileEnd");
    auto* load = Button("loadConfig", "Load config");
    auto* generate = Button("generate", "Generate");
    auto* stop = Button("stop", "Stop");
    status_ = new PageStatus;
    auto* group = new QGroupBox("Files list");
    auto* form = new QFormLayout(group);
    form->addRow("File prefix", prefix_);
    form->addRow("Extension", extensionList_);
    form->addRow("File(s) path", Row({path_, browse}));
    form->addRow(CaptionedFields({{"Start", start_}, {"Step", step_}, {"End", end_}}));
    auto* note = Note(
        "Writes one line per number n = Start, Start + Step, ... up to End: the file path, the prefix, n "
        "and the extension. The list is the input of an analysis page in \"Multi\" mode.");

    // The list last written, as the analysis pages will read it.
    summary_ = new QLabel("No files list written yet.");
    summary_->setObjectName("listSummary");
    summary_->setWordWrap(true);
    preview_ = new QPlainTextEdit;
    preview_->setObjectName("listPreview");
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* written = new QWidget;
    auto* writtenLayout = new QVBoxLayout(written);
    writtenLayout->setContentsMargins(0, 0, 0, 0);
    writtenLayout->addWidget(summary_);
    writtenLayout->addWidget(preview_, 1);

    LayOutPage(this, Column({group, ButtonRow({load, generate, stop}), status_, note}), written);

    connect(browse, &QPushButton::clicked, this, [this] {
        // Only the path changes: a number field being edited keeps its text.
        const QString folder = services_.ChooseFolder(path_->text());
        if (!folder.isEmpty()) path_->setText(folder);
    });
    connect(load, &QPushButton::clicked, this, &CDataSeriesPage::LoadConfig);
    connect(generate, &QPushButton::clicked, this, &CDataSeriesPage::Generate);
    connect(stop, &QPushButton::clicked, this, &CDataSeriesPage::Stop);
    worker_ = std::make_unique<WorkerThread>(this, output_);
    ShowRecord();
    status_->SetText("Ready");
}

CDataSeriesPage::~CDataSeriesPage() { StopAndWait(); }

QString CDataSeriesPage::StatusText() const { return status_->Text(); }

bool CDataSeriesPage::ReadForm(bool reportErrors) {
    extension_ = extensionList_->currentText();  // the page's own, not the record's
    FormReader read(reportErrors ? &services_ : nullptr);
    AnalysisParameters form = record_;
    form.fileProgression.start = static_cast<int32_t>(read.Whole(start_, "Start"));
    form.fileProgression.step = static_cast<int32_t>(read.Whole(step_, "Step"));
    form.fileProgression.end = static_cast<int32_t>(read.Whole(end_, "End"));
    if (!read.Ok()) return false;
    form.filePrefix = prefix_->text().toStdString();
    form.inputFilesPath = path_->text().toStdString();
    record_ = std::move(form);
    return true;
}

void CDataSeriesPage::ShowRecord() {
    prefix_->setText(QString::fromStdString(record_.filePrefix));
    path_->setText(QString::fromStdString(record_.inputFilesPath));
    start_->setText(QString::number(record_.fileProgression.start));
    step_->setText(QString::number(record_.fileProgression.step));
    end_->setText(QString::number(record_.fileProgression.end));
    if (extension_.isEmpty())
        extensionList_->setCurrentIndex(0);
    else
        extensionList_->setCurrentText(extension_);
}

FilesListRequest CDataSeriesPage::Request() const {
    return {record_.inputFilesPath, record_.filePrefix,   record_.fileProgression.start,
            record_.fileProgression.step, record_.fileProgression.end, extension_.toStdString()};
}

void CDataSeriesPage::LoadConfig() {
    // The configuration replaces the fields: one that does not hold a number
    // must not keep the user from loading it.
    ReadForm(false);
    if (!LoadConfigInto(record_, lastConfigPath_, services_).isEmpty()) ShowRecord();
}

void CDataSeriesPage::Generate() {
    if (worker_->Busy()) {
        services_.Message("A files list is being written: stop it or wait for its end.");
        return;
    }
    if (!ReadForm()) return;
    const FilesListRequest request = Request();
    // A step that never reaches the end would write without bound.
    if (const std::string refusal = FilesListRefusal(request); !refusal.empty()) {
        services_.Message(QString::fromStdString(refusal));
        return;
    }
    if (const int64_t lines = FilesListLength(request); lines > kLargeFilesList) {
        if (!services_.Confirm(QString("The files list will have %1 lines (about %2 MB). Write it?")
                                   .arg(lines)
                                   .arg(FilesListMegabytes(request), 0, 'f', 0)))
            return;
    }
    const QString path = services_.SaveFile("Files list files (*.txt)|*.txt|All files (*.*)|*.*||", lastListPath_);
    if (path.isEmpty()) return;
    lastListPath_ = path;
    summary_->setText(QString("Writing %1...").arg(path));
    preview_->clear();
    status_->SetBusy(true, "Writing");
    struct Outcome {
        FilesListStatus status = FilesListStatus::kWritten;
        int64_t lines = 0;
    };
    auto outcome = std::make_shared<Outcome>();
    worker_->Start(
        [list = path.toStdString(), request, outcome] {
            outcome->status = WriteFilesList(list, request, &outcome->lines);
        },
        [this, path, outcome] { Finished(path, outcome->status, outcome->lines); });
}

void CDataSeriesPage::Stop() {
    if (worker_->Busy()) worker_->RequestStop();  // its end tells what became of the list
}

void CDataSeriesPage::StopAndWait() { worker_->StopAndWait(); }

void CDataSeriesPage::Finished(const QString& path, FilesListStatus written, int64_t lines) {
    status_->SetBusy(false);
    switch (written) {
        case FilesListStatus::kWritten:
            ShowWrittenList(path, lines);
            services_.ViewText(path);
            break;
        case FilesListStatus::kStopped:
            summary_->setText(QString("Stopped: the unfinished list %1 was removed.").arg(path));
            break;
        case FilesListStatus::kNotCreated:
            status_->SetError("Error creating files list.");
            summary_->setText(QString("%1 was not created.").arg(path));
            services_.Message(QString("Error creating files list.\n\n%1").arg(path));
            break;
        default:
            status_->SetError("Error writing files list.");
            summary_->setText(QString("%1 could not be written whole.").arg(path));
            services_.Message(QString("Error writing files list.\n\n%1").arg(path));
    }
}

void CDataSeriesPage::ShowWrittenList(const QString& path, int64_t lines) {
    constexpr int kMostShown = 1000;
    summary_->setText(QString("%1: %2 %3").arg(path).arg(lines).arg(lines == 1 ? "line" : "lines"));
    preview_->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    QStringList shown;
    for (int i = 0; i < kMostShown && !file.atEnd(); ++i) {
        QString line = QString::fromLocal8Bit(file.readLine());
        if (line.endsWith('\n')) line.chop(1);
        shown << line;
    }
    if (lines > kMostShown) shown << QString("... and %1 more").arg(lines - kMostShown);
    preview_->setPlainText(shown.join('\n'));
}

}  // namespace fractan::ui
