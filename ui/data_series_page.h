#pragma once
// "Input file series generation": a files-list file naming a run of numbered
// input files, from a folder, a prefix, a range and an extension.

#include <QString>
#include <QWidget>

#include <memory>

#include "setup/parameters.h"
#include "tools/file_tools.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace fractan::ui {

class PageStatus;

class CDataSeriesPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    explicit CDataSeriesPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CDataSeriesPage() override;

    const AnalysisParameters& Record() const { return record_; }
    QString StatusText() const;
    bool WorkerBusy() const override { return worker_->Busy(); }
    void StopAndWait() override;

    // The actions, as the buttons run them. The list is written in the
    // page's worker: a long one takes a while.
    void LoadConfig();
    void Generate();
    void Stop();

private:
    // The form into the record; false, with a message naming the field and
    // the record unchanged, when a number field does not hold a number.
    bool ReadForm(bool reportErrors = true);
    void ShowRecord();
    FilesListRequest Request() const;
    // The path, the number of lines and the first lines of the list written.
    void ShowWrittenList(const QString& path, int64_t lines);
    void Finished(const QString& path, FilesListStatus written, int64_t lines);

    FormServices& services_;
    AnalysisParameters record_;
    QString extension_;
    QString lastConfigPath_;
    QString lastListPath_;

    QLineEdit* prefix_ = nullptr;
    QComboBox* extensionList_ = nullptr;
    QLineEdit* path_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* step_ = nullptr;
    QLineEdit* end_ = nullptr;
    PageStatus* status_ = nullptr;
    QLabel* summary_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    OutputBuffer output_;
    // Last: its thread uses the output buffer and is joined before it goes.
    std::unique_ptr<WorkerThread> worker_;
};

}  // namespace fractan::ui
