#pragma once
// "Series generation": synthetic series with chosen Hurst exponents, written
// in the page's worker, and sample files of any file.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

#include "generator/generator.h"
#include "tools/file_tools.h"
#include "ui/form_services.h"
#include "ui/run_log.h"
#include "ui/worker_thread.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;

namespace fractan::ui {

class PageStatus;
class ResultChart;
class RunLog;
struct GenerationResult;

class CSeriesGeneratorPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    explicit CSeriesGeneratorPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CSeriesGeneratorPage() override;

    QString StatusText() const;
    bool WorkerBusy() const override;
    void StopAndWait() override;
    // The request the form gives; nothing, after a message naming the
    // field, when a number field does not hold a number.
    std::optional<GeneratorSettings> ReadRequest();
    uint32_t BytesToCopy() const { return bytesToCopy_; }

    // The actions, as the buttons run them.
    void GenerateSeries();
    void Stop();
    void GenerateSampleFile();

private:
    QWidget* BuildForm();
    QWidget* BuildResultPane();
    // Whether the output file type includes text files, which use "Precision".
    bool WritesText() const;
    void ApplyShownRules();
    void SetStatus(const QString& text);
    void GenerationFinished(const GenerationResult& result);
    void SampleFinished(const QString& path, SampleStatus status, int64_t written);
    // The generation and the sample copy share the worker: one at a time.
    bool RefusedWhileBusy();

    FormServices& services_;
    uint32_t bytesToCopy_;
    QString statusBeforeCopy_;
    bool errorBeforeCopy_ = false;  // the status line showed a refusal or a failure

    QLineEdit* seriesCount_ = nullptr;
    QLineEdit* lengthExponent_ = nullptr;
    QComboBox* generatorType_ = nullptr;  // "RMD" midpoint displacement, "FFT" exact spectral series
    QLineEdit* hurstStart_ = nullptr;
    QLineEdit* hurstEnd_ = nullptr;
    QLineEdit* hurstStep_ = nullptr;
    QLineEdit* outputPath_ = nullptr;
    QLineEdit* filePrefix_ = nullptr;
    QComboBox* outputType_ = nullptr;
    QLineEdit* precision_ = nullptr;
    QCheckBox* chooseSeed_ = nullptr;
    QLineEdit* seed_ = nullptr;
    QFormLayout* form_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
    RunLog* runLog_ = nullptr;  // a child of the page: the log pane, the bar and the worker
};

}  // namespace fractan::ui
