#include "screens/video_dialog.h"

#include "race/race_file.h"
#include "race/race_settings.h"
#include "base/data_error.h"
#include "platform/qt/qt_platform.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

namespace tackedit {

namespace {

QString Text(bool japanese, const char* english, const char* in_japanese)
{
    return QString::fromUtf8(japanese ? in_japanese : english);
}

QComboBox* Choices(QWidget* parent, const char* name, const QStringList& items, int current)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setCurrentIndex(current);
    return box;
}

} // namespace

VideoDialog::VideoDialog(QWidget* parent, const std::string& app_dir, const std::string& race_file,
                         const std::vector<std::string>& boats, int ui_language)
    : QDialog(parent), app_dir_(app_dir), race_file_(race_file)
{
    const bool japanese = ui_language == 0;
    setObjectName(QStringLiteral("VideoDialog"));
    setWindowTitle(Text(japanese, "Make a video", "動画を作る") + QStringLiteral(" — ") + ToQString(race_file));
    auto* form = new QFormLayout(this);
    from_ = new QLineEdit(this);
    from_->setObjectName(QStringLiteral("VideoFrom"));
    from_->setPlaceholderText(Text(japanese, "the start (HH:MM:SS)", "スタート (HH:MM:SS)"));
    to_ = new QLineEdit(this);
    to_->setObjectName(QStringLiteral("VideoTo"));
    to_->setPlaceholderText(Text(japanese, "the finish (HH:MM:SS)", "フィニッシュ (HH:MM:SS)"));
    speed_ = Choices(this, "VideoSpeed", {"5", "10", "20", "30", "60", "120"}, 1);
    size_ = Choices(this, "VideoSize", {"1920x1080", "1280x720", "1080x1920"}, 0);
    size_->setItemText(2, Text(japanese, "1080x1920 (phone, upright)", "1080x1920 (スマホ縦)"));
    size_->setItemData(2, QStringLiteral("1080x1920"));
    size_->setItemData(0, QStringLiteral("1920x1080"));
    size_->setItemData(1, QStringLiteral("1280x720"));
    follow_ = new QComboBox(this);
    follow_->setObjectName(QStringLiteral("VideoFollow"));
    follow_->addItem(Text(japanese, "(the whole fleet)", "(全艇)"), QString());
    for (const std::string& boat : boats)
        follow_->addItem(ToQString(boat), ToQString(boat));
    fps_ = Choices(this, "VideoFps", {"24", "25", "30", "60"}, 2);
    form->addRow(Text(japanese, "From", "開始"), from_);
    form->addRow(Text(japanese, "To", "終了"), to_);
    form->addRow(Text(japanese, "Speed (×)", "速度 (×)"), speed_);
    form->addRow(Text(japanese, "Size", "サイズ"), size_);
    form->addRow(Text(japanese, "Follow", "追う艇"), follow_);
    form->addRow(Text(japanese, "Frames a second", "フレーム/秒"), fps_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

VideoOptions VideoDialog::Options(const std::string& out) const
{
    VideoOptions options;
    options.app_dir = app_dir_;
    options.race_file = race_file_;
    options.out = out;
    options.from = FromQString(from_->text().trimmed());
    options.to = FromQString(to_->text().trimmed());
    options.speed = speed_->currentText().toDouble();
    if (const auto size = ParseVideoSize(FromQString(size_->currentData().toString())))
        std::tie(options.width, options.height) = *size;
    options.follow = FromQString(follow_->currentData().toString());
    options.fps = fps_->currentText().toInt();
    return options;
}

bool MakeVideoOfRaceFile(QWidget* parent, const std::string& race_file, AppState& state, PlatformServices& services)
{
    const bool japanese = state.UiLanguage == 0;
    DialogService& dialogs = services.dialogs;
    const QString title = Text(japanese, "Make a video", "動画を作る");
    // Before any choice: without these nothing can be made.
    if (const std::string missing = MissingVideoTools(); !missing.empty()) {
        dialogs.ShowMessage(FromQString(title), missing);
        return false;
    }
    std::vector<std::string> boats;
    try {
        RaceSettings race;
        ReadRaceFile(state.paths.AppDir + "raceadmin/" + race_file, state.paths.AppDir, state.UiLanguage, race);
        boats.assign(race.BoatName.begin(), race.BoatName.begin() + std::min<std::size_t>(race.BoatName.size(),
                                                                                            race.BoatCount));
    } catch (const DataError& e) {
        dialogs.ShowMessage(FromQString(title), e.what());
        return false;
    }
    VideoDialog dialog(parent, state.paths.AppDir, race_file, boats, state.UiLanguage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const std::string stem = std::filesystem::path(race_file).stem().string();
    const auto out = dialogs.SaveFile("MP4 video|*.mp4", state.paths.AppDir + stem + ".mp4");
    if (!out)
        return false;
    VideoOptions options = dialog.Options(*out);
    if (std::filesystem::path(*out).extension() != ".mp4")
        options.out += ".mp4";

    // The render runs beside the window, which shows how far it is and can stop it.
    std::atomic<bool> cancel = false, finished = false;
    std::atomic<std::size_t> done = 0, count = 0;
    std::string error;
    options.cancelled = [&cancel] { return cancel.load(); };
    std::thread render([&] {
        try {
            MakeVideo(options, [&](const std::string&, std::size_t d, std::size_t c) {
                done = d;
                count = c;
                return !cancel;
            });
        } catch (const DataError& e) {
            error = e.what();
        }
        finished = true;
    });
    QProgressDialog progress(Text(japanese, "Drawing the video…", "動画を描いています…"),
                             Text(japanese, "Cancel", "キャンセル"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("VideoProgress"));
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (count > 0) {
            progress.setMaximum(static_cast<int>(count));
            progress.setValue(static_cast<int>(done));
        }
        if (finished)
            loop.quit();
    });
    timer.start(100);
    progress.show();
    loop.exec();
    render.join();
    progress.reset();
    if (!error.empty()) {
        if (!cancel)
            dialogs.ShowMessage(FromQString(title), error);
        return false;
    }
    dialogs.ShowMessage(FromQString(title),
                        FromQString(Text(japanese, "The video is in %1", "動画を %1 に作りました")
                                        .arg(ToQString(options.out))),
                        true);
    return true;
}

} // namespace tackedit
