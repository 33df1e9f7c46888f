// SPDX-License-Identifier: MIT
#include "apps/window/explore_exports.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <stdexcept>

#include "apps/window/file_filters.h"
#include "core/model/cycle_analysis.h"
#include "core/model/study.h"
#include "core/report/analysis_report.h"
#include "core/report/csv_export.h"
#include "core/report/number_text.h"
#include "core/report/output_format.h"
#include "core/report/study_text.h"
#include "platform/atomic_file.h"
#include "qt/picture/picture.h"
#include "qt/plot/study_plot.h"
#include "qt/text/qt_text.h"
#include "qt/video/video_export.h"

namespace hcci {
namespace {

// Thrown from a progress callback when the user calls the work off.
struct CalledOff {};

// A dialog of progress that the work's callback keeps up to date, and that calls it off.
class Progress {
public:
    Progress(QWidget* parent, const QString& what)
        : dialog_(what, QStringLiteral("Cancel"), 0, 100, parent) {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
        dialog_.setValue(0);
    }
    void operator()(int done, int all) {
        dialog_.setValue(static_cast<int>(100LL * done / std::max(all, 1)));  // and handles events
        if (dialog_.wasCanceled()) throw CalledOff{};
    }

private:
    QProgressDialog dialog_;
};

QString with_suffix(QString path, const QString& filter) {
    // A name without one of the filter's endings takes the first: "sweep" is "sweep.mp4".
    const qsizetype star = filter.indexOf(QLatin1String("*."));
    if (star < 0) return path;
    const QString suffix = filter.mid(star + 1, filter.indexOf(QLatin1Char(')'), star) - star - 1);
    if (!path.contains(QLatin1Char('.'))) path += suffix;
    return path;
}

void tell_failure(QWidget* parent, const QString& title, const QString& why) {
    QMessageBox::critical(parent, title, why);
}

}  // namespace

bool asked_to_run(QDialog& ask, QFormLayout& form) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Run"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    form.addRow(buttons);
    return ask.exec() == QDialog::Accepted;
}

bool save_file(QWidget* parent, const QString& title, const QString& name, const QString& filter,
               const std::function<std::string()>& content) {
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(parent, title, name, filter, &chosen);
    if (path.isEmpty()) return false;
    try {
        if (const auto error =
                write_file_atomically(with_suffix(path, chosen).toStdString(), content())) {
            tell_failure(parent, title, QString::fromStdString(*error));
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        tell_failure(parent, title, QString::fromUtf8(e.what()));
    }
    return false;
}

void save_sweep_csv(QWidget* parent, const CycleRecord& cycle) {
    save_file(parent, QStringLiteral("Save the sweep as CSV"), QStringLiteral("sweep.csv"),
              file_filter(OutputFormat::csv), [&] { return sweep_csv(cycle); });
}

void save_picture(QWidget* parent, const SharedRecord& engine, int step, bool svg) {
    if (svg) {
        save_file(parent, QStringLiteral("Save the picture as SVG"),
                  QStringLiteral("step-%1.svg").arg(step), file_filter(OutputFormat::svg),
                  [&] { return render_svg(step, true, engine); });
        return;
    }
    save_file(parent, QStringLiteral("Save the picture as PNG"),
              QStringLiteral("step-%1.png").arg(step), file_filter(OutputFormat::png),
              [&] { return encode_png(render_picture(step, true, 1, engine)); });
}

void save_summary(QWidget* parent, const CycleAnalysis& analysis, const EngineParameters& engine) {
    save_file(parent, QStringLiteral("Save the analysis"), QStringLiteral("summary.txt"),
              file_filter(OutputFormat::txt), [&] { return summary_text(analysis, engine); });
}

void save_view(QWidget* parent, const CycleView& view, const CycleSeries& current,
               const CycleSeries* baseline) {
    const std::string_view name = view.name;
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Save the view"),
                                                      text_of(name) + QStringLiteral(".png"),
                                                      file_filter(OutputKind::plot), &chosen);
    if (path.isEmpty()) return;
    const QString file = with_suffix(path, chosen);
    const PlotFormat format = plot_format_of(file.toStdString());
    try {
        const std::string bytes = render_view(view, current, baseline, QSize(1600, 1000), format);
        if (const auto error = write_file_atomically(file.toStdString(), bytes)) {
            tell_failure(parent, QStringLiteral("Save the view"), QString::fromStdString(*error));
        }
    } catch (const std::exception& e) {
        tell_failure(parent, QStringLiteral("Save the view"), QString::fromUtf8(e.what()));
    }
}

void save_video(QWidget* parent, const SharedRecord& engine, VideoLayout layout) {
    const QString title = layout == VideoLayout::side
                              ? QStringLiteral("Save the sweep and its pressure view as a video")
                              : QStringLiteral("Save the sweep as a video");
    QString chosen;
    const QString picked = QFileDialog::getSaveFileName(parent, title, QStringLiteral("sweep.mp4"),
                                                        file_filter(OutputKind::video), &chosen);
    if (picked.isEmpty()) return;
    const QString path = with_suffix(picked, chosen);
    VideoOptions options;
    options.format = video_format_of(path.toStdString());
    options.layout = layout;
    auto staged = ReplacementFile::stage(path.toStdString());
    if (const auto* problem = std::get_if<std::string>(&staged)) {
        tell_failure(parent, title, QString::fromStdString(*problem));
        return;
    }
    ReplacementFile& file = std::get<ReplacementFile>(staged);
    try {
        Progress progress(parent, QStringLiteral("Encoding the video\u2026"));
        encode_video(options, engine, file.fd(), std::ref(progress));
    } catch (const CalledOff&) {
        return;  // the staged file goes with `file`
    } catch (const std::exception& e) {
        tell_failure(parent, title, QString::fromUtf8(e.what()));
        return;
    }
    if (auto error = file.commit()) tell_failure(parent, title, QString::fromStdString(*error));
}

void study_in_dialog(QWidget* parent, const EngineParameters& engine) {
    const QString title = QStringLiteral("Study a parameter");
    QDialog ask(parent);
    ask.setWindowTitle(title);
    auto* form = new QFormLayout(&ask);
    auto* parameter = new QComboBox(&ask);
    for (const ParameterInfo& info : parameter_table()) {
        if (!shapes(info, engine.model)) continue;
        parameter->addItem(text_of(info.name));
    }
    auto* from = new QLineEdit(&ask);
    auto* to = new QLineEdit(&ask);
    auto* step = new QLineEdit(&ask);
    const auto fill_range = [&] {
        const ParameterInfo* info = find_parameter(parameter->currentText().toStdString());
        const double now = engine.*info->member;
        const double span = std::max(std::abs(now) * 0.2, 1.0);
        // Six digits, as a person would type them: 0.12, not 0.12000000000000002.
        from->setText(QString::fromStdString(significant_text(now - span / 2, 6)));
        to->setText(QString::fromStdString(significant_text(now + span / 2, 6)));
        step->setText(QString::fromStdString(significant_text(span / 20, 6)));
    };
    QObject::connect(parameter, &QComboBox::currentIndexChanged, &ask, fill_range);
    fill_range();
    form->addRow(QStringLiteral("Parameter"), parameter);
    form->addRow(QStringLiteral("From"), from);
    form->addRow(QStringLiteral("To (included)"), to);
    form->addRow(QStringLiteral("Step"), step);
    if (!asked_to_run(ask, *form)) return;

    const std::string vary =
        parameter->currentText().toStdString() + "=" + from->text().trimmed().toStdString() + ":" +
        to->text().trimmed().toStdString() + ":" + step->text().trimmed().toStdString();
    const auto range = parse_study_range(vary, nullptr);
    if (const auto* problem = std::get_if<std::string>(&range)) {
        tell_failure(parent, title, QString::fromStdString(*problem));
        return;
    }
    const StudyRange& studied = std::get<StudyRange>(range);
    std::variant<Study, StudyProblem> outcome;
    try {
        Progress progress(parent, QStringLiteral("Running the study\u2026"));
        outcome = run_study(engine, studied, std::ref(progress));
    } catch (const CalledOff&) {
        return;
    }
    if (const auto* problem = std::get_if<StudyProblem>(&outcome)) {
        tell_failure(parent, title, QString::fromStdString(study_problem_text(studied, *problem)));
        return;
    }
    const Study& study = std::get<Study>(outcome);
    const std::string png = plot_study(study, engine, PlotFormat::png);
    QPixmap plot;
    plot.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<uint>(png.size()),
                      "PNG");

    QDialog shown(parent);
    shown.setWindowTitle(QStringLiteral("Study of ") + parameter->currentText());
    auto* column = new QVBoxLayout(&shown);
    auto* scroll = new QScrollArea(&shown);
    auto* picture = new QLabel(scroll);
    picture->setPixmap(plot.scaledToWidth(960, Qt::SmoothTransformation));
    scroll->setWidget(picture);
    column->addWidget(scroll, 1);
    auto* row = new QHBoxLayout;
    auto* save_table = new QPushButton(QStringLiteral("Save the table\u2026"), &shown);
    auto* save_plot = new QPushButton(QStringLiteral("Save the plot\u2026"), &shown);
    auto* close = new QPushButton(QStringLiteral("Close"), &shown);
    row->addWidget(save_table);
    row->addWidget(save_plot);
    row->addStretch(1);
    row->addWidget(close);
    column->addLayout(row);
    QObject::connect(save_table, &QPushButton::clicked, &shown, [&] {
        save_file(&shown, QStringLiteral("Save the study's table"), QStringLiteral("study.csv"),
                  file_filter(OutputFormat::csv), [&] {
                      std::string csv = study_csv_header(study.parameter->name, engine);
                      for (std::size_t i = 0; i < study.values.size(); ++i) {
                          csv += study_csv_row(study.values[i], study.analyses[i]);
                      }
                      return csv;
                  });
    });
    QObject::connect(save_plot, &QPushButton::clicked, &shown, [&] {
        QString chosen;
        const QString path = QFileDialog::getSaveFileName(
            &shown, QStringLiteral("Save the study's plot"), QStringLiteral("study.png"),
            file_filter(OutputKind::plot), &chosen);
        if (path.isEmpty()) return;
        const QString file = with_suffix(path, chosen);
        const bool svg = plot_format_of(file.toStdString()) == PlotFormat::svg;
        if (const auto error = write_file_atomically(
                file.toStdString(), svg ? plot_study(study, engine, PlotFormat::svg) : png)) {
            tell_failure(&shown, QStringLiteral("Save the study's plot"),
                         QString::fromStdString(*error));
        }
    });
    QObject::connect(close, &QPushButton::clicked, &shown, &QDialog::accept);
    shown.resize(1000, 640);
    shown.exec();
}

}  // namespace hcci
