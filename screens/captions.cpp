#include "screens/captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <cstring>
#include <utility>

namespace tackedit {

namespace {

struct Caption {
    const char* control;
    const char* english;
    const char* japanese;
};

// Controls whose captions change with the language. The spacing inside Label9
// and Label30 lines the word up with the edit box beside it: the Japanese ones
// use ideographic spaces (U+3000) and half-width katakana.
const Caption kCaptions[] = {
    {"Label7", "Lay Line Angle (UP)", "レイライン角度(UP)"},
    {"Button7", "Add Files", "ファイル追加"},
    {"Button17", "Ref", "参照"},
    {"RadioGroup2", "Orientation", "地図表示方位"},
    {"RadioButton8", "Northward", "北が上"},
    {"RadioButton9", "Windward", "風向"},
    {"Label9", "  (After)               X", "(ｽﾀｰﾄ後)\u3000  \u3000\u3000     倍"},
    {"Label30", "Play Speed (Pre)                 X", "再生速度(ｽﾀｰﾄ前)\u3000\u3000\u3000       倍"},
    {"Label4", "Boat Name /  GPSfile", "艇名とGPSファイル名"},
    {"ButtonBoat", "Boat…", "艇の設定…"},
    {"ButtonReplaceTrack", "Replace track…", "航跡の差し替え…"},
    {"ButtonEditTrack", "Edit track", "航跡の編集"},
    {"Label12", "Mag Var (W = -)", "磁気偏差(度)"},
    {"Label14", "Time Difference", "時差"},
    {"Button9", "Save Data", "データの保存+航跡表示"},
    {"ButtonCheckRace", "Check Race", "レースチェック"},
    {"ButtonReplay", "Replay", "リプレイ"},
    {"ButtonOpenReplay", "Folder", "フォルダ"},
    {"ButtonResults", "Results", "成績"},
    {"ButtonEntries", "Entries…", "エントリー…"},
    {"ButtonSplit", "Split the day…", "レース分割…"},
    {"ButtonFindStarts", "Find starts…", "スタート検出…"},
    {"ButtonShowReplay", "Browser", "ブラウザ"},
    {"ButtonMakeVideo", "Video…", "動画…"},
    {"Label17", "Attachment Files", "添付ファイル名"},
    {"Label21", "Select File to Edit", "編集ファイルの選択"},
    {"Label23", "Click to choose distribution race files ", "配布レースファイル選択"},
    {"Label24", "Distribution Files", "配布ファイル"},
    {"Label25", "(Play in this order)", "（この順序で連続表示）"},
    {"CheckBox1", "Attach Help Files", "HELPを添付"},
    {"CheckBoxReplayFile", "replay.html", "replay.html"},
    {"Button6", "OK (Create Distribution File)", "OK (配布ﾌｧｲﾙ作成)"},
    // The editor and the download panel: designed in Japanese only.
    {"Label39", "Points now / all", "現点数/全データ点数"},
    {"Label43", "Left drag: keep area / Right drag: delete area / Shift+click: delete point",
     "左ドラッグでエリア選択/右ドラッグでエリア削除/Shift+クリックで１点削除"},
    {"Button26", "Restore Area", "地域選択復元"},
    {"Button25", "Restore Time", "時間帯復元"},
    {"Button24", "Restore Points", "ポイント復元"},
    {"Button31", "Restore Auto", "自動編集復元"},
    {"Button23", "Restore All", "全データ復元"},
    {"GroupBox7", "Automatic Editing", "自動編集"},
    {"CheckBox4", "Interval (sec)", "インターバル（秒）"},
    {"CheckBox5", "Max Speed (knots)", "最高速度（KNOT)"},
    {"Button27", "Run Automatic Editing", "自動編集の実行"},
    {"Button29", "Save Edited Track as TRB (compact)", "編集済のデータを圧縮保存（TRB)"},
    {"Button30", "Save Edited Track as GPX", "編集済のデータをGPX形式で保存"},
    {"Button22", "CANCEL/Back", "CANCEL/戻る"},
    {"Label44", "GPS Download Programs", "GPSダウンロードソフトウエア"},
    {"Button18", "Start the GPS Download Program", "GPSダウンロードソフトウエアを起動"},
    {"Button19", "Register Program", "ソフトの新規登録"},
    {"Button28", "Remove Program", "ソフトの登録削除"},
};

// Tooltips said in both languages.
const Caption kToolTips[] = {
    {"ListBox2", "Double-click: the boat's TCF, class, start offset and display. Shift+click: remove the boat",
     "ダブルクリック：艇のTCF・クラス・時間差・表示の設定／Shift+クリック：艇の削除"},
    {"ButtonBoat", "Name, GPS file, class, TCF, start offset and display of the selected boat",
     "選択した艇の艇名・GPSファイル・クラス・TCF・時間差スタート・表示を設定します"},
    {"ButtonReplaceTrack", "Another GPS file of gpsdat for the selected boat; its settings and place stay",
     "選択した艇のGPSファイルを差し替えます（設定と順番はそのまま）"},
    {"ButtonEditTrack", "The selected boat's GPS file in the track editor; Back returns to this race",
     "選択した艇のGPSファイルを航跡エディタで開きます（戻るでこのレースに戻ります）"},
    {"Image6", "Time line: left drag keeps only the time range, right drag deletes it.",
     "時間軸：左ドラッグで時間帯選択（範囲外を削除）/右ドラッグで時間帯削除"},
    {"ButtonShowReplay", "Pressed: a click on a race replays it in the browser instead of the viewer",
     "押すと、レースをクリックしたときビューアではなくブラウザでリプレイします"},
    {"ButtonMakeVideo", "Make a video…: pressed, a click on a race makes an MP4 video of its replay",
     "動画を作る…：押すと、レースをクリックしたときそのリプレイの MP4 動画を作ります"},
    {"ButtonReplay", "Replay the race on the screen in the browser (nothing is saved)",
     "画面のレースをブラウザでリプレイします（何も保存しません）"},
    {"ButtonOpenReplay", "Open the folder of the replay last built",
     "最後に作成したリプレイのフォルダを開きます"},
    {"ButtonResults", "The results and the race analysis of the race on the screen; export for scoring programs",
     "画面のレースの成績とレース解析を表示します（採点ソフト用にCSVで書き出せます）"},
    {"CheckBoxReplayFile", "Adds replay.html: the browser replay in one file, to send or put on a website",
     "replay.html（1つのファイルにしたブラウザ用リプレイ）も入れます。送信やウェブ掲載用"},
    {"ButtonReplayMore", "The replay as one HTML file to send or put on a website",
     "リプレイを送信やウェブ掲載用の1つのHTMLファイルにします"},
    {"ButtonEntries", "The boats from the committee's entry list, each with its track (nothing is saved)",
     "エントリーリストから艇と航跡を設定します（保存はしません）"},
    {"ButtonSplit", "The day's races from the saved race file, one a start time",
     "保存したレースファイルから、スタート時刻ごとのレースファイルを作成します"},
    {"ButtonFindStarts", "The day's starts from the race timers' logs or the fleet crossing the line, then the split",
     "レースタイマーの記録または艇団のライン通過からスタート時刻を求め、レースを分割します"},
};

// What the English captions are too short to say.
const std::pair<const char*, const char*> kEnglishToolTips[] = {
    {"Label39", "Points present / all points of the track"},
    {"Image3", "Left drag: keep only the area. Right drag: delete the area. Shift+click: delete one point."},
    {"Label41", "Mean interval between points in seconds: as loaded => now"},
    {"Button26", "Restore the points deleted by area"},
    {"Button25", "Restore the points deleted by time range"},
    {"Button24", "Restore the points deleted one by one"},
    {"Button31", "Restore the points deleted by automatic editing"},
    {"Button23", "Restore every deleted point"},
    {"GroupBox7", "Automatic editing"},
    {"CheckBox4", "Interval (seconds): thin out points that come closer together than this"},
    {"CheckBox5", "Maximum speed (knots): remove jumps faster than this"},
    {"CheckBox6", "Smart Edit: smooth densely sampled stretches of the track"},
    {"Button27", "Run automatic editing"},
    {"Button29", "Save the edited track as TRB (compact), beside the original file"},
    {"Button30", "Save the edited track as GPX, beside the original file"},
    {"Button22", "Back to the cover, or to the race whose boat's track this is"},
    {"Label44", "GPS download programs"},
    {"Button18", "Start the GPS download program named in the box"},
    {"Button19", "Register a new GPS download program"},
    {"Button28", "Remove the registered programs named in the box"},
    {"Edit3", "The folder of the race's photographs; Ref chooses it"},
};

void SetCaption(QWidget* widget, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(text);
}

void Apply(QWidget* root, bool japanese)
{
    for (const Caption& c : kCaptions) {
        const QString text = QString::fromUtf8(japanese ? c.japanese : c.english);
        if (root->objectName() == QLatin1String(c.control))
            SetCaption(root, text);
        for (QWidget* widget : root->findChildren<QWidget*>(QString::fromLatin1(c.control)))
            SetCaption(widget, text);
    }
    for (const Caption& c : kToolTips)
        for (QWidget* widget : root->findChildren<QWidget*>(QString::fromLatin1(c.control)))
            widget->setToolTip(QString::fromUtf8(japanese ? c.japanese : c.english));
}


} // namespace

void ApplyEnglishCaptions(QWidget* root) { Apply(root, false); }

void ApplyJapaneseCaptions(QWidget* root) { Apply(root, true); }

void ApplyEnglishToolTips(QWidget* root)
{
    for (const auto& [control, tip] : kEnglishToolTips)
        for (QWidget* widget : root->findChildren<QWidget*>(QString::fromLatin1(control)))
            widget->setToolTip(QString::fromUtf8(tip));
}

const char* CaptionOf(const char* control, int ui_language)
{
    for (const Caption& c : kCaptions)
        if (std::strcmp(c.control, control) == 0)
            return ui_language == 0 ? c.japanese : c.english;
    return nullptr;
}

} // namespace tackedit
