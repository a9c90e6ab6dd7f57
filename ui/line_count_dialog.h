#pragma once
// "Line count": the number of line feeds in an input file.

#include <QDialog>
#include <QString>

#include "ui/form_services.h"

class QLineEdit;

namespace fractan::ui {

class LineCountDialog : public QDialog {
    Q_OBJECT
public:
    LineCountDialog(const QString& inputPath, FormServices& services, QWidget* parent = nullptr);

    void Browse();
    void Count();
    QString CountText() const;

protected:
    // Enter closes the dialog as Escape does; it has no buttons of its own for that.
    void keyPressEvent(QKeyEvent* event) override;

private:
    FormServices& services_;
    QLineEdit* input_;
    QLineEdit* count_;
};

}  // namespace fractan::ui
