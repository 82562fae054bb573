#include "shell/RunTrace.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QWidget>

namespace vtl {

RunTrace::RunTrace(Clock& clock) {
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                 QStringLiteral("/vtl-trace-XXXXXX.jsonl"));
    if (!file->open()) return;
    path_ = file->fileName();
    trace_ = std::make_unique<LineTrace>(std::move(file), clock);
}

bool RunTrace::saveTo(const QString& target, QString* error) const {
    QFile source(path_);
    QSaveFile copy(target);
    if (!source.open(QIODevice::ReadOnly)) {
        if (error) *error = source.errorString();
        return false;
    }
    // Lines written while the copy is made belong to the next save.
    const QByteArray bytes = source.readAll();
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
        if (error) *error = copy.errorString();
        return false;
    }
    return true;
}

QAction* RunTrace::addSaveAction(QWidget* window, UserInterface& ui, FileChooser choose) {
    if (!choose)
        choose = [window] {
            return QFileDialog::getSaveFileName(window, QStringLiteral("Save Line Trace"),
                                                QStringLiteral("vtl-trace.jsonl"),
                                                QStringLiteral("Line Traces (*.jsonl)"));
        };
    auto* action = new QAction(QStringLiteral("Save Line Trace..."), window);
    action->setEnabled(trace_ != nullptr);
    QObject::connect(action, &QAction::triggered, window, [this, &ui, choose] {
        const QString target = choose();
        if (target.isEmpty()) return;
        QString why;
        if (!saveTo(target, &why))
            ui.message(QStringLiteral("Error In Writing To The File."), QStringLiteral("Error"),
                       MessageButtons::Ok, MessageIcon::None, why);
    });
    window->addAction(action);
    return action;
}

} // namespace vtl
