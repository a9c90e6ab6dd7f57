#pragma once
// Helpers of the desktop tests: services that answer from a script, and
// access to a page's widgets by their object names.

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <deque>

#include "ui/form_services.h"

namespace fractan::ui::test {

// Choosers answer with the queued paths (empty when none is queued: a
// cancel); viewers and message boxes only record what they were given.
class ScriptedServices : public FormServices {
public:
    std::deque<QString> answers;
    QStringList messages, viewedTexts, viewedFolders, filters, initialFiles;

    QString OpenFile(const QString& filter, const QString& initialFile) override { return Answer(filter, initialFile); }
    QString SaveFile(const QString& filter, const QString& initialFile) override { return Answer(filter, initialFile); }
    QString ChooseFolder(const QString& initialFolder) override { return Answer(QString(), initialFolder); }
    void ViewText(const QString& path) override { viewedTexts << path; }
    void ViewFolder(const QString& path) override { viewedFolders << path; }
    void Message(const QString& text) override { messages << text; }

private:
    QString Answer(const QString& filter, const QString& initial) {
        filters << filter;
        initialFiles << initial;
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

template <class T>
T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no widget named %s", name);
    return child;
}

inline void SetText(QWidget* page, const char* name, const QString& text) {
    Child<QLineEdit>(page, name)->setText(text);
}
inline void Select(QWidget* page, const char* name, int index) {
    Child<QComboBox>(page, name)->setCurrentIndex(index);
}
inline void Click(QWidget* page, const char* name) { Child<QAbstractButton>(page, name)->click(); }
// Shown on the page as the user sees it (the page itself is shown by the test).
inline bool Shown(QWidget* page, const char* name) { return Child<QWidget>(page, name)->isVisible(); }

}  // namespace fractan::ui::test
