// The compile screen's layout, and the race between its controls and the
// race in memory: the defaults, the race shown, the lists filled, the values
// read back. Its actions are in compile_actions.cpp, Save Data in
// compile_save.cpp.

#include "screens/compile_screen.h"

#include "external/help.h"
#include "external/settings.h"
#include "screens/gps_file_list.h"
#include "screens/picture_folder_box.h"
#include "screens/race_map.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "race/race_file.h"
#include "screens/captions.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/workspace_files.h"
#include "track/formats/track_formats.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>

#include <cmath>
#include <filesystem>

namespace tackedit {

namespace {

const QColor kYellow(255, 255, 128);

QString Q(const std::string& text) { return ToQString(text); }

void SetRed(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
}

const char* const kFormatButtons[][2] = {{"RadioButton1", "*"},   {"RadioButton14", "trb"}, {"RadioButton2", "gpx"},
                                         {"RadioButton3", "dtr"}, {"RadioButton4", "trk"},  {"RadioButton5", "gdb"},
                                         {"RadioButton6", "trl"}, {"RadioButton7", "log"}};

// Reads a number box, naming the box when it does not hold a number.
double RealField(QLineEdit* edit, const char* field)
{
    const std::string text = FromQString(edit->text());
    const auto value = ParseReal(text);
    if (!value)
        throw DataError(field, 0, text, "'" + text + "' is not a valid number");
    return static_cast<double>(*value);
}

int IntegerField(const QString& qtext, const char* field)
{
    const std::string text = FromQString(qtext);
    const auto value = ParseInteger(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        throw DataError(field, 0, text, "'" + text + "' is not a valid whole number");
    return static_cast<int>(*value);
}

double ComboReal(QComboBox* box, const char* field)
{
    const std::string text = FromQString(box->currentText());
    const auto value = ParseReal(text);
    if (!value)
        throw DataError(field, 0, text, "'" + text + "' is not a valid number");
    return static_cast<double>(*value);
}

} // namespace

void FillRaceFileList(QWidget* list, const std::string& app_dir)
{
    QStringList names;
    for (const auto& entry : ListWorkspaceFiles(app_dir + "raceadmin", "txt", true, 999))
        names << Q(entry.name);
    if (auto* box = qobject_cast<QListWidget*>(list)) {
        box->clear();
        box->addItems(names);
        ShowLongEntriesAsToolTips(box);
    } else if (auto* combo = qobject_cast<QComboBox*>(list)) {
        const QString text = combo->currentText();
        combo->clear();
        combo->addItems(names);
        combo->setEditText(text);
    }
}

CompileScreen::CompileScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host)
    : QFrame(parent), state_(state), services_(services), host_(host)
{
    SetUpPanel(this, "pnlCOMPILE", 1121, 541, QColor(192, 192, 192));
    setToolTip(QStringLiteral("Drop GPS File Here"));

    // Left column: titles, race file, GPS files.
    SetRed(AddControl<QLabel>(this, "Label1", QRect(8, 6, 210, 16), QStringLiteral("Race Title 1")));
    Edit1 = AddControl<QLineEdit>(this, "Edit1", QRect(8, 22, 210, 22));
    SetRed(AddControl<QLabel>(this, "Label38", QRect(8, 48, 210, 16), QStringLiteral("Race Title 2")));
    Edit18 = AddControl<QLineEdit>(this, "Edit18", QRect(8, 64, 210, 22));
    AddControl<QLabel>(this, "Label18", QRect(8, 90, 210, 16), QStringLiteral("Race File Name"));
    ComboBox1 = AddControl<QComboBox>(this, "ComboBox1", QRect(8, 106, 210, 22));
    ComboBox1->setEditable(true);
    MarkYellow(ComboBox1);
    AddControl<QLabel>(this, "Label3", QRect(8, 132, 210, 16), QStringLiteral("GPS Track Files"));
    ListBox1 = AddControl<QListWidget>(this, "ListBox1", QRect(8, 148, 210, 230));
    ListBox1->setToolTip(QStringLiteral("Click to choose GPS file / Drop GPS File Here."));
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    gps_files_ = new GpsFileList(ListBox1);
    AddControl<QLabel>(this, "Label34", QRect(8, 382, 60, 18), QStringLiteral("Sorted by"));
    auto* by_date = AddControl<QRadioButton>(this, "RadioButton12", QRect(68, 382, 80, 18), QStringLiteral("Date time"));
    auto* by_name = AddControl<QRadioButton>(this, "RadioButton13", QRect(150, 382, 68, 18), QStringLiteral("ABC"));
    by_date->setChecked(true);
    for (QRadioButton* button : {by_date, by_name})
        connect(button, &QRadioButton::clicked, this, [this] { ListGpsFiles(); });
    auto* formats = AddControl<QGroupBox>(this, "GroupBox6", QRect(8, 404, 210, 70));
    formats->setTitle(QStringLiteral("GPS File Format"));
    for (int i = 0; i < 8; ++i) {
        const char* caption = kFormatButtons[i][1][0] == '*' ? "All" : kFormatButtons[i][1];
        auto* button = AddControl<QRadioButton>(formats, kFormatButtons[i][0],
                                                QRect(6 + (i % 4) * 50, 18 + (i / 4) * 24, 50, 20),
                                                QString::fromLatin1(caption));
        connect(button, &QRadioButton::clicked, this, [this] { ListGpsFiles(); });
        if (i == 0)
            button->setChecked(true);
        if (i == 7)
            button->hide();
    }

    // Middle column: boats and race values.
    AddControl<QLabel>(this, "Label4", QRect(228, 6, 212, 16));
    ListBox2 = AddControl<QListWidget>(this, "ListBox2", QRect(228, 22, 212, 166));
    MarkYellow(ListBox2);
    ListBox2->viewport()->installEventFilter(this);
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, [this] { ButtonBoatClick(); });
    auto* boat = AddControl<QPushButton>(this, "ButtonBoat", QRect(228, 190, 82, 22));
    connect(boat, &QPushButton::clicked, this, [this] { ButtonBoatClick(); });
    auto* replace = AddControl<QPushButton>(this, "ButtonReplaceTrack", QRect(312, 190, 128, 22));
    connect(replace, &QPushButton::clicked, this, [this] { ButtonReplaceTrackClick(); });
    Label22 = AddControl<QLabel>(this, "Label22", QRect(228, 214, 108, 16), QStringLiteral("0 boats"));
    auto* edit_track = AddControl<QPushButton>(this, "ButtonEditTrack", QRect(340, 212, 100, 20));
    connect(edit_track, &QPushButton::clicked, this, [this] { ButtonEditTrackClick(); });
    AddControl<QLabel>(this, "Label5", QRect(228, 234, 212, 16), QStringLiteral("Start DateTime"));
    DateTimePicker1 = AddControl<QDateEdit>(this, "DateTimePicker1", QRect(228, 250, 110, 22));
    DateTimePicker2 = AddControl<QTimeEdit>(this, "DateTimePicker2", QRect(342, 250, 98, 22));
    AddControl<QLabel>(this, "Label6", QRect(228, 276, 212, 16), QStringLiteral("Finish DateTime"));
    DateTimePicker3 = AddControl<QDateEdit>(this, "DateTimePicker3", QRect(228, 292, 110, 22));
    DateTimePicker4 = AddControl<QTimeEdit>(this, "DateTimePicker4", QRect(342, 292, 98, 22));
    for (QDateEdit* date : {DateTimePicker1, DateTimePicker3}) {
        date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        date->setCalendarPopup(true);
        connect(date, &QDateEdit::dateChanged, this, [this] { UpdatePlayTime(); });
        connect(date, &QDateEdit::dateChanged, this, [this] { UpdateRaceMap(); });
    }
    for (QTimeEdit* time : {DateTimePicker2, DateTimePicker4}) {
        time->setDisplayFormat(QStringLiteral("H:mm:ss"));
        connect(time, &QTimeEdit::timeChanged, this, [this] { UpdatePlayTime(); });
        connect(time, &QTimeEdit::timeChanged, this, [this] { UpdateRaceMap(); });
    }
    int y = 320;
    auto value_row = [&](const char* label, const char* edit, const char* unit_name, const char* unit) {
        AddControl<QLabel>(this, label, QRect(228, y + 2, 138, 18));
        auto* box = AddControl<QLineEdit>(this, edit, QRect(366, y, 50, 20));
        MarkYellow(box);
        if (unit_name)
            AddControl<QLabel>(this, unit_name, QRect(420, y + 2, 26, 18), QString::fromLatin1(unit));
        y += 22;
        return box;
    };
    Edit5 = value_row("Label7", "Edit5", nullptr, nullptr);
    Edit6 = value_row("Label8", "Edit6", nullptr, nullptr);
    findChild<QLabel*>(QStringLiteral("Label8"))->setText(QStringLiteral("(DN)"));
    Edit8 = value_row("Label10", "Edit8", "Label11", "m");
    findChild<QLabel*>(QStringLiteral("Label10"))->setText(QStringLiteral("LOA"));
    Edit9 = value_row("Label12", "Edit9", "Label13", "deg");
    Edit10 = value_row("Label14", "Edit10", "Label15", "hr");
    // The tracks' clock is UTC: the time difference moves the map's window and
    // the local time of the GPS files' first fixes.
    connect(Edit10, &QLineEdit::textChanged, this, [this] {
        UpdateRaceMap();
        ListGpsFiles();
    });
    auto combo_row = [&](const char* label, const char* combo, const QString& caption, QRect label_at,
                         QRect box_at) {
        AddControl<QLabel>(this, label, label_at.translated(0, y + 2), caption);
        auto* box = AddControl<QComboBox>(this, combo, box_at.translated(0, y));
        box->setEditable(true);
        y += 22;
        return box;
    };
    ComboBox3 = combo_row("Label16", "ComboBox3", QStringLiteral("Pre-Start Show Time  (min)    "),
                          QRect(228, 0, 150, 18), QRect(380, 0, 60, 20));
    // The blanks inside the two speed captions are the room of their boxes, so
    // that "X" (倍) follows the box: each box sits in its caption's gap.
    ComboBox5 = combo_row("Label30", "ComboBox5", QString(), QRect(228, 0, 166, 18), QRect(325, 0, 46, 20));
    ComboBox4 = combo_row("Label9", "ComboBox4", QString(), QRect(279, 0, 120, 18), QRect(325, 0, 46, 20));
    for (QComboBox* speed : {ComboBox4, ComboBox5})
        connect(speed, &QComboBox::currentTextChanged, this, [this] { UpdatePlayTime(); });
    Label29 = AddControl<QLabel>(this, "Label29", QRect(228, y + 2, 220, 18));

    // Right column: attachments, orientation, wind, maps, pictures, the buttons.
    auto* attachments = AddControl<QGroupBox>(this, "GroupBox1", QRect(448, 2, 217, 132));
    AddControl<QLabel>(attachments, "Label17", QRect(8, 4, 200, 16));
    ListBox3 = AddControl<QListWidget>(attachments, "ListBox3", QRect(8, 20, 200, 78));
    auto* add = AddControl<QPushButton>(attachments, "Button7", QRect(8, 102, 96, 24));
    connect(add, &QPushButton::clicked, this, [this] { Button7Click(); });
    auto* clear = AddControl<QPushButton>(attachments, "Button8", QRect(112, 102, 96, 24), QStringLiteral("Clear"));
    connect(clear, &QPushButton::clicked, this, [this] { Button8Click(); });
    // The attachment chooser opens over the list it adds to.
    FileListBox1 = AddControl<QListWidget>(attachments, "FileListBox1", QRect(8, 20, 200, 78));
    FileListBox1->hide();
    FileListBox1->viewport()->installEventFilter(this);

    auto* orientation = AddControl<QGroupBox>(this, "RadioGroup2", QRect(448, 138, 217, 44));
    AddControl<QRadioButton>(orientation, "RadioButton8", QRect(8, 18, 100, 20))->setChecked(true);
    AddControl<QRadioButton>(orientation, "RadioButton9", QRect(110, 18, 100, 20));
    AddControl<QLabel>(this, "Label19", QRect(448, 188, 150, 18), QStringLiteral("Average Wind Dir (mag)"));
    Edit12 = AddControl<QLineEdit>(this, "Edit12", QRect(605, 186, 60, 20));
    AddControl<QLabel>(this, "Label20", QRect(448, 210, 100, 18), QStringLiteral("Wind Data File"));
    ComboBox2 = AddControl<QComboBox>(this, "ComboBox2", QRect(548, 208, 117, 20));
    ComboBox2->setEditable(true);
    // A long wind file name is cut by the box: the whole of it is in the tooltip.
    connect(ComboBox2, &QComboBox::editTextChanged, this, [this](const QString& text) {
        const int room = ComboBox2->lineEdit()->width() - 4;
        ComboBox2->setToolTip(ComboBox2->fontMetrics().horizontalAdvance(text) > room ? text : QString());
    });
    AddControl<QLabel>(this, "Label26", QRect(448, 232, 217, 16), QStringLiteral("Map Name"));
    ListBox7 = AddControl<QListWidget>(this, "ListBox7", QRect(448, 248, 217, 60));
    ListBox7->setToolTip(QStringLiteral("Shift+Click to Delete"));
    ListBox7->viewport()->installEventFilter(this);
    AddControl<QCheckBox>(this, "CheckBox2", QRect(448, 312, 217, 20), QStringLiteral("Minimize GPS file size"))
        ->setChecked(true);

    pictures_ = new PictureFolderBox(this, state_, services_, QRect(448, 334, 217, 120));
    Edit3 = pictures_->Edit3, Edit4 = pictures_->Edit4, Edit2 = pictures_->Edit2, Label32 = pictures_->Label32;
    // Pictures count against the race on the screen, not the race last read.
    pictures_->SetRaceWindow([this](RaceSettings& race) {
        race.StartTime = PickerTime(DateTimePicker1, DateTimePicker2);
        race.FinishTime = PickerTime(DateTimePicker3, DateTimePicker4);
        const auto minutes = ParseInteger(FromQString(ComboBox3->currentText()));
        if (minutes && *minutes > 0 && *minutes <= 1'000'000)
            race.PreStartMin = static_cast<int>(*minutes);
        SetReplayWindow(race);
    });
    for (QDateEdit* date : {DateTimePicker1, DateTimePicker3})
        connect(date, &QDateEdit::dateChanged, pictures_, &PictureFolderBox::ScheduleRecount);
    for (QTimeEdit* time : {DateTimePicker2, DateTimePicker4})
        connect(time, &QTimeEdit::timeChanged, pictures_, &PictureFolderBox::ScheduleRecount);
    connect(ComboBox3, &QComboBox::currentTextChanged, pictures_, &PictureFolderBox::ScheduleRecount);

    auto* save = AddControl<QPushButton>(this, "Button9", QRect(448, 462, 217, 32));
    connect(save, &QPushButton::clicked, this, [this] { Button9Click(); });
    auto* cancel = AddControl<QPushButton>(this, "Button10", QRect(448, 502, 120, 28), QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, [this] { Button10Click(); });
    auto* help = AddControl<QPushButton>(this, "Button16", QRect(635, 502, 30, 28), QStringLiteral("?"));
    connect(help, &QPushButton::clicked, this, [this] { Button16Click(); });
    auto* results = AddControl<QPushButton>(this, "ButtonResults", QRect(572, 502, 59, 28));
    connect(results, &QPushButton::clicked, this, [this] { ButtonResultsClick(); });
    // Under the wind data file box, beside the map list's short caption.
    auto* check = AddControl<QPushButton>(this, "ButtonCheckRace", QRect(548, 229, 117, 19));
    connect(check, &QPushButton::clicked, this, [this] { ButtonCheckRaceClick(); });
    auto* replay = AddControl<QPushButton>(this, "ButtonReplay", QRect(448, 229, 96, 19));
    connect(replay, &QPushButton::clicked, this, [this] { ButtonReplayClick(); });
    auto* more = AddControl<QToolButton>(this, "ButtonReplayMore", QRect(528, 229, 16, 19), QStringLiteral("▾"));
    more->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(more);
    auto* one_file = menu->addAction(QString());
    one_file->setObjectName(QStringLiteral("ActionReplayOneFile"));
    auto* video = menu->addAction(QString());
    video->setObjectName(QStringLiteral("ActionMakeVideo"));
    connect(menu, &QMenu::aboutToShow, this, [this, one_file, video] {
        one_file->setText(ToQString(Say(texts::kSaveReplayAsOneFile, state_.UiLanguage)));
        video->setText(ToQString(Say(texts::kMakeVideo, state_.UiLanguage)));
    });
    connect(one_file, &QAction::triggered, this, [this] { SaveReplayAsOneFileClick(); });
    connect(video, &QAction::triggered, this, [this] { MakeVideoClick(); });
    more->setMenu(menu);
    // Where the last replay was built, once there is one (compile_replay.cpp).
    AddControl<QLabel>(this, "LabelReplayPath", QRect(448, 252, 150, 19))->hide();
    auto* open_replay = AddControl<QPushButton>(this, "ButtonOpenReplay", QRect(600, 252, 65, 19));
    open_replay->hide();
    connect(open_replay, &QPushButton::clicked, this, [this] { ButtonOpenReplayClick(); });
    // The race day, under the GPS file formats: the boats from an entry list,
    // and the day's races from the saved race.
    auto* entries = AddControl<QPushButton>(this, "ButtonEntries", QRect(8, 480, 210, 24));
    connect(entries, &QPushButton::clicked, this, [this] { ButtonEntriesClick(); });
    auto* split = AddControl<QPushButton>(this, "ButtonSplit", QRect(8, 508, 120, 24));
    connect(split, &QPushButton::clicked, this, [this] { ButtonSplitClick(); });
    auto* find = AddControl<QPushButton>(this, "ButtonFindStarts", QRect(132, 508, 86, 24));
    connect(find, &QPushButton::clicked, this, [this] { ButtonFindStartsClick(); });
    // Right of the form: the race at a glance.
    map_ = new RaceMapView(this);
    map_->setGeometry(673, 8, 440, 525);
    ApplyEnglishCaptions(this);
}

void CompileScreen::SetCompileDefaults()
{
    Edit1->clear();
    ComboBox1->setEditText(QString());
    ListBox2->clear();
    Edit5->setText(QStringLiteral("45"));
    Edit6->setText(QStringLiteral("160"));
    QStringList speeds;
    for (int i = 1; i <= 10; ++i)
        speeds << QString::number(i);
    speeds << QStringLiteral("15");
    for (int i = 2; i <= 10; ++i)
        speeds << QString::number(i * 10);
    speeds << QStringLiteral("150");
    for (int i = 2; i <= 9; ++i)
        speeds << QString::number(i * 100);
    for (QComboBox* box : {ComboBox4, ComboBox5}) {
        const QSignalBlocker quiet(box);
        box->clear();
        box->addItems(speeds);
        box->setEditText(QStringLiteral("5"));
    }
    Edit8->setText(QStringLiteral("4.7"));
    Edit9->setText(QStringLiteral("-6.9"));
    zone_hours_ = LocalZoneHours(services_.time_zone.StandardBiasMinutes());
    Edit10->setText(QString::number(zone_hours_));
    ComboBox3->clear();
    for (int i = 1; i <= 10; ++i)
        ComboBox3->addItem(QString::number(i));
    ComboBox3->setEditText(QStringLiteral("5"));
    Edit12->setText(QStringLiteral("0"));
    findChild<QRadioButton*>(QStringLiteral("RadioButton8"))->setChecked(true);
    ListBox3->clear();
    ListBox7->clear();
    ComboBox2->setEditText(QString());
    ListGpsFiles();
    ListWindFiles();
    ListRaceFiles();
    UpdateRaceMap();
}

void CompileScreen::SetPickers(DateTime start, DateTime finish)
{
    const auto set = [](QDateEdit* date, QTimeEdit* time, DateTime value) {
        const DateTimeParts p = DecodeDateTime(value);
        date->setDate(QDate(p.year, p.month, p.day));
        time->setTime(QTime(p.hour, p.minute, p.second));
    };
    set(DateTimePicker1, DateTimePicker2, start);
    set(DateTimePicker3, DateTimePicker4, finish);
}

DateTime CompileScreen::PickerTime(QDateEdit* date, QTimeEdit* time) const
{
    const QDate d = date->date();
    const QTime t = time->time();
    return TryEncodeDate(d.year(), d.month(), d.day()).value_or(0) +
           TryEncodeTime(t.hour(), t.minute(), t.second()).value_or(0);
}

void CompileScreen::ShowRaceOnScreen()
{
    const RaceSettings& race = state_.race;
    ListGpsFiles();
    ListWindFiles();
    ListRaceFiles();
    Edit1->setText(Q(race.Title1));
    Edit18->setText(Q(race.Title2));
    ComboBox1->setEditText(Q(state_.RaceFileName));
    RefillBoatList(" / ");
    SetPickers(race.StartTime, race.FinishTime);
    Edit5->setText(Q(FormatGeneralNumber(race.LayUp)));
    Edit6->setText(Q(FormatGeneralNumber(race.LayDown)));
    {
        const QSignalBlocker quiet_after(ComboBox4), quiet_pre(ComboBox5);
        ComboBox4->setEditText(Q(FormatGeneralNumber(race.PlaySpeedAfter)));
        ComboBox5->setEditText(Q(FormatGeneralNumber(race.PlaySpeedPre)));
    }
    Edit8->setText(Q(FormatGeneralNumber(race.Loa)));
    Edit9->setText(Q(FormatGeneralNumber(race.MagVar)));
    Edit10->setText(QString::number(race.TimeDiff));
    ComboBox3->clear();
    for (int i = 1; i <= 10; ++i)
        ComboBox3->addItem(QString::number(i));
    ComboBox3->setEditText(QString::number(race.PreStartMin));
    Edit12->setText(QString::number(race.WindDir));
    findChild<QRadioButton*>(race.NorthUp > 0 ? QStringLiteral("RadioButton8") : QStringLiteral("RadioButton9"))
        ->setChecked(true);
    if (!race.AttachmentNames.empty()) {
        ListBox3->clear();
        for (const std::string& name : race.AttachmentNames)
            ListBox3->addItem(Q(name));
    }
    if (!race.WindFile.empty())
        ComboBox2->setEditText(Q(race.WindFile));
    if (state_.UiLanguage == 0) {
        ListBox7->clear();
        for (const std::string& name : race.MapNames)
            ListBox7->addItem(Q(name));
    }
    pictures_->ShowRace();
    UpdateRaceMap();
}

void CompileScreen::ListGpsFiles()
{
    services_.cursor.ShowBusyCursor();
    std::string extension = "*";
    for (const auto& [name, ext] : kFormatButtons)
        if (auto* button = findChild<QRadioButton*>(QString::fromLatin1(name)); button && button->isChecked())
            extension = ext;
    const bool by_date = findChild<QRadioButton*>(QStringLiteral("RadioButton12"))->isChecked();
    const auto hours = ParseInteger(FromQString(Edit10->text()));
    const int zone = hours && TimeDiffHolds(static_cast<int>(*hours)) ? static_cast<int>(*hours) : zone_hours_;
    gps_files_->Fill(state_.paths.AppDir + "gpsdat", extension, by_date, zone);
    services_.cursor.ShowDefaultCursor();
}

void CompileScreen::ListWindFiles()
{
    const QString text = ComboBox2->currentText();
    ComboBox2->clear();
    for (const auto& entry : ListWorkspaceFiles(state_.paths.AppDir + "winddat", "csv", false, 4999))
        ComboBox2->addItem(Q(entry.name));
    for (int i = 0; i < ComboBox2->count(); ++i)
        ComboBox2->setItemData(i, ComboBox2->itemText(i), Qt::ToolTipRole);
    ComboBox2->setEditText(text);
}

void CompileScreen::ListRaceFiles() { FillRaceFileList(ComboBox1, state_.paths.AppDir); }

void CompileScreen::UpdatePlayTime()
{
    // While a value is being typed it may not be a number yet: the estimate then
    // stays as it was instead of interrupting the typing with a message.
    const auto text = PlayTimeText(PickerTime(DateTimePicker1, DateTimePicker2),
                                   PickerTime(DateTimePicker3, DateTimePicker4), FromQString(ComboBox3->currentText()),
                                   FromQString(ComboBox4->currentText()), FromQString(ComboBox5->currentText()),
                                   state_.UiLanguage);
    if (text)
        Label29->setText(Q(*text));
}

void CompileScreen::RefillBoatList(const char* separator)
{
    ListBox2->clear();
    for (int i = 0; i < state_.race.BoatCount; ++i)
        ListBox2->addItem(Q(state_.race.BoatName[static_cast<std::size_t>(i)] + separator +
                            state_.race.BoatGpsFile[static_cast<std::size_t>(i)]));
    ShowLongEntriesAsToolTips(ListBox2);
    Label22->setText(QString::number(state_.race.BoatCount) + QStringLiteral(" boats"));
    UpdateRaceMap();
}

void CompileScreen::UpdateRaceMap()
{
    if (!map_)
        return;  // still being built
    const RaceSettings& race = state_.race;
    RaceMapInput input;
    const std::string gpsdat = state_.paths.AppDir + "gpsdat";
    for (std::size_t i = 0; i < static_cast<std::size_t>(race.BoatCount); ++i) {
        input.boat_paths.push_back(FindWorkspaceFile(gpsdat, race.BoatGpsFile[i]).value_or(""));
        input.boat_names.push_back(race.BoatName[i]);
    }
    const auto hours = ParseInteger(FromQString(Edit10->text()));
    const int zone = hours && TimeDiffHolds(static_cast<int>(*hours)) ? static_cast<int>(*hours) : race.TimeDiff;
    input.from = PickerTime(DateTimePicker1, DateTimePicker2) - zone / 24.0;
    input.to = PickerTime(DateTimePicker3, DateTimePicker4) - zone / 24.0;
    input.marks = race.MarkList;
    input.lines = race.LineList;
    input.course = race.CourseList;
    map_->SetJapanese(Japanese());
    map_->ShowRace(std::move(input));
}

void CompileScreen::ReadRaceScreen() { ReadRaceScreen(state_.race); }

void CompileScreen::ReadRaceScreen(RaceSettings& race)
{
    race.Title1 = FromQString(Edit1->text());
    race.Title2 = FromQString(Edit18->text());
    race.StartTime = PickerTime(DateTimePicker1, DateTimePicker2);
    race.FinishTime = PickerTime(DateTimePicker3, DateTimePicker4);
    const bool night = IsNightRace(race.StartTime, race.FinishTime);
    race.LayUp = IntegerField(Edit5->text(), "Lay Line Angle (UP)");
    race.LayDown = IntegerField(Edit6->text(), "Lay Line Angle (DN)");
    race.PlaySpeedAfter = ComboReal(ComboBox4, "Play Speed (After)");
    race.PlaySpeedPre = ComboReal(ComboBox5, "Play Speed (Pre)");
    race.Loa = RealField(Edit8, "LOA");
    race.MagVar = RealField(Edit9, "Mag Var");
    race.TimeDiff = IntegerField(Edit10->text(), "Time Difference");
    race.PreStartMin = IntegerField(ComboBox3->currentText(), "Pre-Start Show Time");
    race.WindDir = IntegerField(Edit12->text(), "Average Wind Dir");
    if (race.Lighthouse == 0 && night)
        race.Lighthouse = 1;
    race.NorthUp = findChild<QRadioButton*>(QStringLiteral("RadioButton8"))->isChecked() ? 1 : 0;
    // The race's own folder is kept even when no picture falls inside the race;
    // one typed into the box counts as chosen, an emptied box as none.
    const std::string folder = FromQString(Edit3->text());
    race.PicFolderNamed = !folder.empty() && (race.PicFolderNamed || folder != race.PicFolder);
    if (race.PicFolderNamed) {
        race.PicFolder = folder;
        race.PicTimeCorr = static_cast<float>(RealField(Edit2, "Camera Time Error Correction"));
        race.PicSize = IntegerField(Edit4->text(), "Pic Size");
    }
}

} // namespace tackedit
