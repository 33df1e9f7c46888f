// SPDX-License-Identifier: MIT
#include "apps/window/explore_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "apps/window/explore_exports.h"
#include "apps/window/file_filters.h"
#include "core/report/parameter_messages.h"
#include "core/report/parameter_text.h"
#include "platform/parameter_file.h"

// The explorer's parameter files, opened and saved, and the question before changes that no
// file holds are lost.

namespace hcci {

void ExploreWindow::closeEvent(QCloseEvent* event) {
    if (!may_end()) {
        event->ignore();
        return;
    }
    event->accept();
    form_->close();  // ends the program as the window's own close does
}

bool ExploreWindow::has_unsaved_changes() const {
    return parameters() != saved_parameters_ || parameters_form_->has_refused_text();
}

// Escape, a double click or closing the window: changes not saved are not thrown away unasked.
bool ExploreWindow::may_end() {
    if (end_agreed_ || !has_unsaved_changes()) return end_agreed_ = true;
    QuitAnswer answer = QuitAnswer::cancel;
    if (quit_question_) {
        answer = quit_question_();
    } else {
        const auto pressed = QMessageBox::question(
            this, QStringLiteral("Quit the explorer"),
            QStringLiteral("The engine has changes that are not saved in a parameter file. Save "
                           "them before quitting?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        answer = pressed == QMessageBox::Save      ? QuitAnswer::save
                 : pressed == QMessageBox::Discard ? QuitAnswer::discard
                                                   : QuitAnswer::cancel;
    }
    switch (answer) {
        case QuitAnswer::save:
            end_agreed_ = save_parameters();
            break;
        case QuitAnswer::discard:
            end_agreed_ = true;
            break;
        case QuitAnswer::cancel:
            break;
    }
    return end_agreed_;
}

// The engine of a parameter file the user picks, its notices told; nothing when none is picked
// or it cannot be read (which is told).
SharedRecord ExploreWindow::pick_parameter_file(const QString& title) {
    const QString path = QFileDialog::getOpenFileName(
        this, title, {}, file_filter(OutputFormat::toml) + QStringLiteral(";;All files (*)"));
    if (path.isEmpty()) return nullptr;
    std::vector<std::string> notices;
    const auto read = read_parameter_values({path.toStdString(), {}}, &notices);
    const auto cycle = std::holds_alternative<EngineParameters>(read)
                           ? checked_cycle(std::get<EngineParameters>(read))
                           : std::variant<SharedRecord, std::string>(std::get<std::string>(read));
    if (const auto* problem = std::get_if<std::string>(&cycle)) {
        QMessageBox::critical(this, title, QString::fromStdString(*problem));
        return nullptr;
    }
    QStringList told;
    for (const std::string& notice : notices) told.append(QString::fromStdString(notice));
    if (!told.isEmpty()) QMessageBox::information(this, title, told.join(QLatin1Char('\n')));
    return std::get<SharedRecord>(cycle);
}

void ExploreWindow::open_parameters() {
    if (SharedRecord engine = pick_parameter_file(QStringLiteral("Open parameters"))) {
        saved_parameters_ = engine->parameters;
        set_cycle(std::move(engine));
    }
}

bool ExploreWindow::save_parameters() {
    const EngineParameters engine = parameters();
    if (!save_file(this, QStringLiteral("Save the parameters"), QStringLiteral("engine.toml"),
                   file_filter(OutputFormat::toml), [&] { return parameter_file(engine); })) {
        return false;
    }
    saved_parameters_ = engine;
    return true;
}

}  // namespace hcci
