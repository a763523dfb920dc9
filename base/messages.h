#pragma once

// What the program says, in both interface languages. Plain C++: the core code
// and the command-line tool (always English) use it without Qt.

#include <initializer_list>
#include <string>

namespace tackedit {

struct Text {
    const char* english;
    const char* japanese;
};

// The text in the interface language (0 Japanese, 2 English) with %1 ... %9
// replaced by the arguments in order; any other ui_language is English.
std::string Say(const Text& text, int ui_language, std::initializer_list<std::string> args = {});

// A count with its unit: "1 point", "3 points"; "3点" in Japanese.
std::string CountOf(long long n, const Text& unit, int ui_language);

namespace texts {

// Questions and messages given in one language only, and ours; the editor's and
// the download panel's captions are in the caption table.
inline constexpr Text kChooseBoatFirst{"Choose a GPS file to add a boat first.", "GPS/艇を選択してください"};
inline constexpr Text kOverwriteOrShow{
    "A file of that name exists. Overwrite it?\n(No shows the tracks without saving.)",
    "同名のファイルがあります。上書きしますか？\n(「NO」を押すと保存しないで航跡を表示します)"};
inline constexpr Text kViewerModeCaption{"Viewer Mode", "編集画面の表示選択"};
inline constexpr Text kViewerModeQuestion{
    "Show the race in edit mode?\n(No shows it in normal mode.)\n\n"
    "Edit mode: the replay with the viewer's editing tools, to set the race's marks, lines and course.\n"
    "Normal mode: the replay alone, as spectators see it.\n"
    "Cancel: nothing is saved and the viewer does not start.",
    "編集画面で表示しますか？\n｢いいえ」を押すと通常モードで表示します\n\n"
    "編集モード: 再生画面に編集の道具が付き、マーク・ライン・コースを設定できます。\n"
    "通常モード: 観戦者と同じ再生画面だけを表示します。\n"
    "キャンセル: 何も保存せず、ビューアも起動しません。"};
inline constexpr Text kConversionLeftOut{
    "%1: %2 of %3 fixes within the second of the fix before were left out: the TRB format keeps whole seconds.",
    "%1: %3点のうち、直前の点と同じ秒に記録された%2点を省きました。TRB形式の時刻は秒単位です。"};
inline constexpr Text kNothingSaved{
    "Nothing was saved and the viewer was not started: this race has no race file yet. Save it under another name.",
    "保存しなかったため、ビューアは起動しません。このレースにはまだレースファイルがありません。別の名前で保存してください。"};
inline constexpr Text kLeaveUnsavedRace{"The race has not been saved. Leave without saving?",
                                        "レースデータは保存されていません。保存しないで閉じますか？"};
inline constexpr Text kLeaveUnsavedTrack{"The edited track has not been saved. Leave without saving?",
                                         "編集したGPSデータは保存されていません。保存しないで閉じますか？"};
inline constexpr Text kUseCleanedInRace{"Use %1 for %2 in the race?", "%1 をレースの %2 に使いますか？"};
inline constexpr Text kCleanedInRace{
    "%2 uses %1 in the race on the compile screen, with its settings and place. Save Data writes it into the race file.",
    "コンパイル画面のレースで %2 は設定と順番はそのままで %1 を使います。「データの保存」でレースファイルに書き込みます。"};
inline constexpr Text kCloseAfterLongWork{
    "The editor is still at work (building a distribution or converting GPS files). The window closes when it is "
    "done.",
    "処理中です（配布データの作成またはGPSファイルの変換）。終わるとウィンドウを閉じます。"};
inline constexpr Text kFolderDoesNotOpen{
    "Cannot open the folder %1: no file manager is set up on this computer. Install one (and xdg-utils), or open "
    "the folder yourself.",
    "フォルダ %1 を開けません。このコンピュータにはファイルマネージャが設定されていません。"
    "ファイルマネージャ（と xdg-utils）をインストールするか、フォルダを直接開いてください。"};
inline constexpr Text kCheckDistributionCaption{"Check Distribution", "配布データ確認"};
inline constexpr Text kCheckDistributionQuestion{"The distribution is in %1.\nOpen the distribution folder to check it?",
                                                 "配布データは %1 にできました。\n配布データを確認しますか?"};
inline constexpr Text kPlayListFull{"A distribution plays at most %1 race files.",
                                    "配布データに入れられるレースファイルは%1個までです。"};
inline constexpr Text kPicturesFromOutside{
    "The pictures of these races come from folders outside the workspace:",
    "次のレースの画像はワークスペースの外のフォルダーから取り込みました："};
inline constexpr Text kChoosePictureFolder{"Choose the Picture Folder", "画像フォルダの選択"};
inline constexpr Text kSaveTrackAs{"Save the track under this file name:\r\n", "次のファイル名で保存します\r\n"};
inline constexpr Text kReplacesSave{"\r\n(It replaces an existing file%1.)", "\r\n（既存のファイル%1を置き換えます）"};
inline constexpr Text kReplacesPoints{" of %1 points", "（%1点）"};
inline constexpr Text kSaveLeavesOut{
    "\r\n(Left out: %1 logged within the same second as the point before; the file holds whole seconds.)",
    "\r\n（直前の点と同じ秒に記録された%1は保存しません。ファイルの時刻は秒単位です）"};
inline constexpr Text kNotTrackFile{
    "%1 is not a track file the editor reads: their names end in gpx, log, nmea, nma, nme, dtr, trk, gdb, trl, "
    "trb, fit, vkx, tcx, kml or kmz.",
    "%1 は編集できるGPSファイルではありません。読めるのは名前が gpx, log, nmea, nma, nme, dtr, trk, gdb, trl, trb, "
    "fit, vkx, tcx, kml, kmz で終わるファイルです。"};
inline constexpr Text kNoTrackPoint{"%1 holds no track point.", "%1 には航跡のデータ点がありません。"};
// The same with the reader's reason, which is English as its errors are.
inline constexpr Text kNoTrackPointBecause{"%1 holds no track point: %2", "%1 には航跡のデータ点がありません: %2"};
inline constexpr Text kIntervalLabel{"Interval (sec): %1 => %2", "ｲﾝﾀｰﾊﾞﾙ(sec）: %1 ⇒ %2"};

// The compile screen's prompts and what a race file read left out.
inline constexpr Text kFieldComma{"%1 '%2' contains a comma, which the race file cannot hold",
                                  "%1「%2」にカンマがあります。レースファイルには保存できません"};
inline constexpr Text kFieldComment{"%1 '%2' contains \"//\", which the race file would read as the start of a comment",
                                    "%1「%2」に \"//\" があります。レースファイルではコメントの始まりと読まれます"};
inline constexpr Text kFieldCannotStore{"%1 '%2' contains '%3', which cannot be stored in the race file",
                                        "%1「%2」の「%3」はレースファイルに保存できない文字です"};
inline constexpr Text kTheBoatName{"The boat name", "艇名"};
inline constexpr Text kEnterRaceFileName{"Enter a name for the race file.", "レースファイルの名前を入力してください。"};
inline constexpr Text kNotRaceFileName{"'%1' is not a file name: a race file is saved in the raceadmin folder.",
                                       "「%1」はファイル名ではありません。レースファイルは raceadmin フォルダに保存します。"};
inline constexpr Text kRaceFileNameCannotStore{
    "The race file name '%1' contains '%2', which cannot be stored in the file that tells the viewer which race "
    "to show. Choose another name.",
    "レースファイル名「%1」の「%2」は、ビューアに表示するレースを伝えるファイルに保存できない文字です。"
    "別の名前にしてください。"};
inline constexpr Text kBoatsLeftOut{
    "The GPS files of these boats are not in the gpsdat folder, so the boats were left out. Put the files back "
    "before saving, or the next save drops the boats:",
    "次の艇のGPSファイルが gpsdat フォルダにないため、艇を外しました。保存する前にファイルを戻してください。"
    "戻さずに保存すると艇はレースから消えます："};
inline constexpr Text kBoatsPastLimit{
    "%1 boat lines past the %2th are left out: a race holds at most %2 boats",
    "%2艇目より後の艇の行%1行は外されています（1レースの艇は%2艇までです）"};
inline constexpr Text kViewerShowsFirst{
    "%1 boats: the replay, the analysis and the results take them all; the viewer shows only the first %2",
    "%1艇：リプレイ・解析・成績は全艇を扱いますが、ビューアに表示されるのは最初の%2艇だけです"};
inline constexpr Text kAndMore{"\n... and %1 more", "\n…ほか%1艇"};
inline constexpr Text kNoBrowser{
    "Cannot open the help page %1: no web browser is set up on this computer. Install one (and xdg-utils), or "
    "open the page in a browser yourself.",
    "ヘルプページ %1 を開けません。このコンピュータにはウェブブラウザが設定されていません。"
    "ブラウザ（と xdg-utils）をインストールするか、ブラウザで直接ページを開いてください。"};

// The download panel.
inline constexpr Text kNotExe{"Choose a valid program.", "有効なアプリを選択してください"};
inline constexpr Text kToolListFull{
    "At most 10 programs can be registered.\nRemove one you no longer need before registering another.",
    "登録できるソフトは10個までです。\n不要なソフトの登録を削除してから登録してください。"};
inline constexpr Text kToolNotStorable{
    "This program cannot be registered: its path holds a comma or a control character.\n",
    "このソフトは登録できません。パスにカンマまたは制御文字が含まれています。\n"};
inline constexpr Text kToolCharNotStorable{
    "This program cannot be registered: its path holds '%1', which cannot be stored in the settings file.\n",
    "このソフトは登録できません。パスに設定ファイルに保存できない文字「%1」が含まれています。\n"};
inline constexpr Text kToolNotAbsolute{"\n(Give its full path.)", "\n（フルパスで指定してください）"};
inline constexpr Text kToolNotProgram{"\n(It is neither a program that runs here nor a Windows program.)",
                                      "\n（実行できるプログラムでもWindowsのプログラムでもありません）"};
inline constexpr Text kToolStarted{"Started: ", "起動しました: "};
inline constexpr Text kJumpLimitTip{
    "%1 knots, the default, is the jump limit the race check and the race analysis use too; a value typed here "
    "holds for this edit only",
    "既定の%1ノットはレースチェックとレース分析が使う跳びの上限と同じです。ここに入力した値はこの編集にだけ使われます"};

// The race check: its findings (the command-line tool prints the English ones)
// and its window.
namespace check {
inline constexpr Text kRace{"race", "レース"};
inline constexpr Text kBoatN{"boat %1", "%1番艇"};
inline constexpr Text kPoint{"point", "点"};
inline constexpr Text kTime{"time", "回"};
inline constexpr Text kHour{"hour", "時間"};
inline constexpr Text kWeek{"week", "週間"};
inline constexpr Text kDay{"day", "日"};
inline constexpr Text kYear{"year", "年"};
inline constexpr Text kSeconds{"%1 seconds", "%1秒"};
inline constexpr Text kEarly{"%1 early", "%1早い"};
inline constexpr Text kLate{"%1 late", "%1遅い"};
inline constexpr Text kDurationH{"%1 h ", "%1時間"};
inline constexpr Text kDurationMin{"%1 min", "%1分"};
inline constexpr Text kDurationS{"%1 s", "%1秒"};
inline constexpr Text kAnd{" and ", "、"};
inline constexpr Text kListComma{", ", "、"};

inline constexpr Text kNameCannotStore{
    "The race file name '%1' contains '%2', which cannot be stored in the file that tells the viewer which race "
    "to show",
    "レースファイル名「%1」の「%2」は、ビューアに表示するレースを伝えるファイルに保存できない文字です"};
inline constexpr Text kTitle1{"Race Title 1", "レースタイトル1"};
inline constexpr Text kTitle2{"Race Title 2", "レースタイトル2"};
inline constexpr Text kClassN{"Class %1", "クラス%1"};
inline constexpr Text kBoatName{"The name of boat %1", "%1番艇の艇名"};
inline constexpr Text kBoatFile{"The GPS file of boat %1", "%1番艇のGPSファイル"};
inline constexpr Text kMapName{"Map name", "地図名"};
inline constexpr Text kAttachment{"Attachment file", "添付ファイル"};
inline constexpr Text kWindFile{"Wind Data File", "風データファイル"};
inline constexpr Text kCourseEntry{"Course entry", "コースの項目"};
inline constexpr Text kPresetMap{
    "; it was preset from the area of the first boat's track (%1): Shift+Click it in the Map Name list to remove "
    "it, or copy the map into coastline/",
    "。先頭艇の航跡（%1）の範囲から設定された地図です。Map Name のリストで Shift+クリックすると外せます。"
    "または地図を coastline/ にコピーしてください"};
inline constexpr Text kNoWindFile{"The wind data file '%1' is not in winddat/", "風データファイル「%1」が winddat/ にありません"};
inline constexpr Text kNoAttachment{"The attachment '%1' is not in attachment/", "添付ファイル「%1」が attachment/ にありません"};
inline constexpr Text kAttachmentLeftOut{"The attachment '%1' is not in attachment/, so the race leaves it out",
                                         "添付ファイル「%1」が attachment/ にないため、レースから外されています"};
inline constexpr Text kAttachmentsLeftOut{
    "The race file names %1 attachments that are not in attachment/, which the race leaves out; the first %2 are "
    "listed",
    "レースファイルの添付ファイルのうち%1個が attachment/ になく、レースから外されています（最初の%2個を表示）"};
inline constexpr Text kNoMap{"The coastline map '%1' is not in coastline/ (as %1 or %1.cst)%2",
                             "海岸線地図「%1」が coastline/ にありません（%1 または %1.cst として）%2"};
inline constexpr Text kNoLighthouses{"The race shows lighthouses, but coastline/jlh.lh is missing",
                                     "灯台を表示するレースですが、coastline/jlh.lh がありません"};
inline constexpr Text kNoViewer{"The viewer %1 is not in the workspace", "ビューア %1 がワークスペースにありません"};
inline constexpr Text kPictureFolderDotDot{
    "The picture folder %1 is left out: a relative folder may not leave the workspace through \"..\"",
    "画像フォルダ %1 は使いません：相対パスのフォルダは \"..\" でワークスペースの外に出られません"};
inline constexpr Text kNoPictureFolder{"The picture folder %1 does not exist", "画像フォルダ %1 がありません"};
inline constexpr Text kPictureFolderOutside{
    "The picture folder %1 is outside the workspace: a distribution copies its pictures from there",
    "画像フォルダ %1 はワークスペースの外にあります。配布データにはそこから画像をコピーします"};
inline constexpr Text kPicturesInRace{
    "%1 of %2 pictures in %3 were taken between the start and the finish; %4 are kept for the replay (as the "
    "compile screen counts them)",
    "%3 の画像%2枚のうち%1枚がスタートからフィニッシュまでに撮影されています。リプレイに使うのは%4枚です"
    "（レース編集画面の数え方）"};
inline constexpr Text kPicturesUnreadable{
    "%1 of the .jpg files in %2 could not be read as pictures and are left out",
    "%2 の .jpg ファイルのうち%1個は画像として読めないため使いません"};
inline constexpr Text kNoBoats{"The race has no boats", "レースに艇がありません"};
inline constexpr Text kSameFile{"Boats %1 use the same GPS file %2", "艇 %1 が同じGPSファイル %2 を使っています"};
inline constexpr Text kSameName{"Boats %1 have the same name '%2'", "艇 %1 の艇名「%2」が同じです"};
inline constexpr Text kNoPoints{"The file %1 holds no track points", "ファイル %1 に航跡のデータ点がありません"};
inline constexpr Text kSpan{"the track runs from %1 to %2 race time", "航跡はレース時刻で %1 から %2 まで"};
inline constexpr Text kShift{"; times look %1%2 Moved by that, the track covers %3 of the race",
                             "。時刻が%1ようです%2 その分を動かすと、航跡はレースの%3をカバーします"};
inline constexpr Text kRollover{": the GPS week rollover?", "（GPSの週番号のロールオーバー？）"};
inline constexpr Text kTimeZone{": a time-zone error?", "（タイムゾーンの誤り？）"};
inline constexpr Text kClockSet{": a clock set to the wrong date?", "（時計の日付の誤り？）"};
inline constexpr Text kNoFixInRace{"No fix between the start and the finish: %1%2",
                                   "スタートからフィニッシュまでの測位がありません：%1%2"};
inline constexpr Text kCoverage{"Covers only %1 of the race: %2%3", "レースの%1しかカバーしていません：%2%3"};
inline constexpr Text kLongGap{"No fix for %1, from %2 to %3", "%2 から %3 まで%1のあいだ測位がありません"};
inline constexpr Text kJumps{"%1 jump faster than %2 knots, the jump limit the editor's automatic editing and the "
                             "race analysis use too; the editor's speed test would delete them",
                             "%1が%2ノット（編集画面の自動編集とレース分析と同じ跳びの上限）より速く跳んでいます。"
                             "編集画面の速度チェックで削除される点です"};
inline constexpr Text kFarFromCourse{"Its nearest fix during the race is %1 km from the course",
                                     "レース中の最も近い測位でもコースから%1 km離れています"};
inline constexpr Text kBackward{"The time goes backwards %1", "時刻が%1逆戻りしています"};
inline constexpr Text kZeroPoints{
    "%1 at latitude 0, longitude 0 (fixes without a position) left out of the track; the file still holds them",
    "緯度0・経度0の%1（位置のない測位）を航跡から除きました。ファイルには残っています"};
inline constexpr Text kBoatSummary{"%1 in %2; %3; %4 of the race covered, largest gap %5",
                                   "%2 に%1。%3。レースの%4をカバー、最大の空白 %5"};
inline constexpr Text kTimeDifference{
    "Every boat's times look %1: is the time difference of %2 h right? %3 h would fit every track",
    "全艇の時刻が%1ようです。時差 %2 時間は正しいですか？ %3 時間ならすべての航跡に合います"};
inline constexpr Text kFirstBoat{"the first boat", "先頭艇"};
inline constexpr Text kOtherBoat{"the other boat's", "もう1艇"};
inline constexpr Text kEveryOtherBoat{"every other boat's", "ほかの全艇"};
inline constexpr Text kEarlier{" earlier", "早く"};
inline constexpr Text kLater{" later", "遅く"};
inline constexpr Text kPresetTimes{
    "The start and finish were preset from the track of %1 (%2), and %3 times look %4: are %1's times %5? Then set "
    "the start and finish %6%7 and check again",
    "スタートとフィニッシュは %1（%2）の航跡から設定されましたが、%3の時刻が%4ようです。%1の時刻が%5のでは？ "
    "それならスタートとフィニッシュを%6%7してから再チェックしてください"};
inline constexpr Text kFinishBeforeStart{"The race finishes at %1, not after its start %2",
                                         "フィニッシュ %1 がスタート %2 より後ではありません"};
inline constexpr Text kLongRace{"The race lasts %1, longer than 24 hours", "レース時間が%1で、24時間を超えています"};
inline constexpr Text kRaceWindow{
    "Race from %1 to %2 local time; with a time difference of %3 h, the tracks' UTC from %4 to %5",
    "レースは現地時刻で %1 から %2 まで。時差 %3 時間で、航跡のUTCでは %4 から %5 まで"};
inline constexpr Text kFullBoats{
    "The race file has %1 boat lines past the %2th boat: the viewer and the window leave them out (the replay, the "
    "analysis and the results take them all)",
    "レースファイルの%2艇目より後の艇の行%1行はビューアと編集画面では外されます（リプレイ・解析・成績は全艇を扱います）"};
inline constexpr Text kTimeDiffRange{"The time difference %1 h is not from -14 to +14 hours: the race file cannot hold it",
                                     "時差 %1 時間は -14～+14 時間の範囲外で、レースファイルに保存できません"};
inline constexpr Text kCourseNoMark{"The course's entry %1, '%2', names no mark: the race has %3 MK lines",
                                    "コースの%1番目「%2」に当たるマークがありません（MK行は%3行です）"};
inline constexpr Text kCourseNoLine{"The course's entry %1, '%2', names a line, but the race has no LN line",
                                    "コースの%1番目「%2」はラインですが、レースにLN行がありません"};
inline constexpr Text kCourseUnknown{"The course's entry %1, '%2', is no mark number, S or F",
                                     "コースの%1番目「%2」はマークの番号でも S でも F でもありません"};
inline constexpr Text kMissingBoats{
    "The race file has %1 boat lines whose GPS files are not in gpsdat/, which the race leaves out; the first %2 "
    "are listed",
    "GPSファイルが gpsdat/ にない艇の行%1行はレースから外されています（最初の%2行を表示）"};
inline constexpr Text kLineLeftOut{"Line %1 of the race file is left out: %2", "レースファイルの%1行目は外されています：%2"};
inline constexpr Text kLeftOutFile{"the GPS file %1 is not in gpsdat/", "GPSファイル %1 が gpsdat/ にありません"};
inline constexpr Text kNoGpsFile{"The GPS file %1 is not in gpsdat/", "GPSファイル %1 が gpsdat/ にありません"};
inline constexpr Text kCleanedTrack{"%1 in gpsdat/ is this boat's track cleaned in the editor, but the race still uses %2",
                                    "gpsdat/ の %1 はこの艇の編集済みの航跡ですが、レースはまだ %2 を使っています"};
inline constexpr Text kUnknownKind{"The GPS file %1 is of no kind tackedit reads",
                                   "GPSファイル %1 は tackedit が読める形式ではありません"};
inline constexpr Text kViewerCannotRead{
    "The viewer does not read the GPS file %1: save the race with \"Minimize GPS file size\" checked, which gives "
    "the viewer a TRB copy",
    "ビューアはGPSファイル %1 を読めません。「Minimize GPS file size」をチェックして保存すると、"
    "TRBに変換したファイルをビューアに渡します"};
inline constexpr Text kDoesNotRead{"The GPS file does not read: %1", "GPSファイルが読めません：%1"};
// What the reader left out of a file that read (English, as its errors are).
inline constexpr Text kReaderSays{"Reading %1: %2", "%1 の読み込み：%2"};
// A race timer's log (VKX) against the race.
inline constexpr Text kTimerRaceStart{"The race timer started the race at %1 race time, %2%3%4",
                                      "レースタイマーのレーススタートはレース時刻 %1、%2%3%4"};
inline constexpr Text kTimerAfter{"%1 after the race's start", "レースのスタートの%1後"};
inline constexpr Text kTimerBefore{"%1 before the race's start", "レースのスタートの%1前"};
inline constexpr Text kTimerOnStart{"at the race's start", "レースのスタートと同時"};
inline constexpr Text kTimerNearest{" (the nearest of the %1 race starts it logged)",
                                    "（記録された%1回のレーススタートのうち最も近いもの）"};
inline constexpr Text kTimerOff{": more than %1 s off. Is the race's start %2 right?",
                                "。%1秒を超えてずれています。レースのスタート %2 は正しいですか？"};
inline constexpr Text kTimerLineEnd{"Start line from the race timer: the %1 end at %2, %3, pinged at %4",
                                    "レースタイマーのスタートライン：%1 %2, %3（%4に記録）"};
inline constexpr Text kPinEnd{"pin", "ピン側"};
inline constexpr Text kBoatEnd{"boat", "本部船側"};

// The window.
inline constexpr Text kWindowTitle{"Race Check", "レースチェック"};
inline constexpr Text kError{"error", "エラー"};
inline constexpr Text kWarning{"warning", "警告"};
inline constexpr Text kInfo{"info", "情報"};
inline constexpr Text kNothingToFix{"No errors or warnings.", "エラーも警告もありません。"};
inline constexpr Text kCounts{"%1 error(s), %2 warning(s).", "エラー%1件、警告%2件。"};
inline constexpr Text kFindingColumns{"Severity|Subject|Message", "重要度|対象|内容"};
inline constexpr Text kBoatColumns{
    "Boat|Suggested shift||GPS file|Points|First (UTC)|Last (UTC)|Coverage|Largest gap|Jumps|At 0/0|Backward",
    "艇|推奨の時刻修正||GPSファイル|点数|最初 (UTC)|最後 (UTC)|カバー率|最大の空白|跳び|緯度経度0|逆戻り"};
inline constexpr Text kCheckAgain{"Check Again", "再チェック"};
inline constexpr Text kClose{"Close", "閉じる"};
inline constexpr Text kFix{"Fix", "修正"};
inline constexpr Text kFixToolTip{"Write a copy with every time moved (%1) and use it for this boat",
                                  "すべての時刻を動かしたコピー（%1）を書き、この艇に使います"};
inline constexpr Text kFileGone{"The GPS file %1 is no longer in gpsdat/.", "GPSファイル %1 はもう gpsdat/ にありません。"};
inline constexpr Text kNotAFileName{"'%1' is not a file name for gpsdat/.", "「%1」は gpsdat/ のファイル名にできません。"};
inline constexpr Text kBoatListChanged{
    "%1 is written, but the boat list has changed since the check: add it to the race by hand.",
    "%1 を書きましたが、チェックの後で艇のリストが変わりました。手でレースに加えてください。"};
inline constexpr Text kUseFile{"Use %1", "%1 を使う"};
inline constexpr Text kUseFileToolTip{"Use the track cleaned in the editor for this boat; its settings and place stay",
                                      "エディタで編集した航跡をこの艇に使います。設定と順番はそのままです"};
inline constexpr Text kEditTrack{"Edit track", "航跡の編集"};
inline constexpr Text kEditTrackToolTip{"The GPS file of the selected finding's boat in the track editor",
                                        "選んだ項目の艇のGPSファイルを航跡エディタで開きます"};
inline constexpr Text kCheckAgainFirst{"The boat list has changed since the check: check again.",
                                       "チェックの後で艇のリストが変わりました。もう一度チェックしてください。"};
} // namespace check

// The browser replay.
inline constexpr Text kReplayNotBuilt{"The replay could not be built: %1", "リプレイを作れませんでした: %1"};
inline constexpr Text kSaveReplayAsOneFile{"Save as one file…", "1つのファイルに保存…"};
inline constexpr Text kMakeVideo{"Make a video…", "動画を作る…"};
inline constexpr Text kVideoSaveFirst{"Save the race first: the video is made from its race file.",
                                      "先にレースを保存してください。動画はレースファイルから作ります。"};
inline constexpr Text kReplayFileSaved{"The replay is saved as one file: %1", "リプレイを1つのファイルに保存しました: %1"};
inline constexpr Text kReplayNoBrowser{
    "The replay is in %1, but no browser opened it: open index.html there in a browser.",
    "リプレイは %1 にできましたが、ブラウザで開けませんでした。そこにある index.html をブラウザで開いてください。"};

// Where the editor works, and files it was asked to open.
inline constexpr Text kWorkspaceMade{
    "tackedit made its workspace in %1, with the demo race. Its track files go in gpsdat, its race files in "
    "raceadmin.",
    "tackedit の作業フォルダを %1 に作りました（デモのレース入り）。GPS ファイルは gpsdat に、レースファイルは "
    "raceadmin に入ります。"};
inline constexpr Text kOneFileAtATime{"tackedit opens one file at a time: %1 was opened, the others were not.",
                                      "tackedit が開くファイルは一度に一つです。%1 を開き、ほかは開きませんでした。"};
inline constexpr Text kRaceOutsideWorkspace{
    "%1 is not in the workspace's race folder %2. Open it from a workspace's raceadmin folder, or start tackedit "
    "--workspace with the folder that holds its raceadmin.",
    "%1 は作業フォルダのレースフォルダ %2 にありません。作業フォルダの raceadmin から開くか、その raceadmin "
    "を持つフォルダを tackedit --workspace で指定してください。"};

} // namespace texts

} // namespace tackedit
