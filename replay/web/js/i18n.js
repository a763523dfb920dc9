// Captions in Japanese and English.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};

  var text = {
    en: {
      play: "Play", pause: "Pause", fit: "Fit", loop: "Loop", races: "Races", speed: "Speed", race: "Race",
      tail: "Tail", off: "Off", min1: "1 min", min5: "5 min", whole: "Whole race",
      speedColours: "Speed colours",
      boat: "Boat", kn: "kn", course: "Course", sailed: "Sailed (NM)", speedCol: "Speed (kn)",
      results: "Results", rank: "Rank", start: "Start", finish: "Finish", elapsed: "Elapsed", corrected: "Corrected",
      status: "Status", noFinish: "No finish line: no results for this race.", noneYet: "No boat has finished yet.",
      wind: "Wind", photos: "Photos", noRaces: "No race data in this folder.", following: "Following",
      toStart: "to start", elapsedLabel: "elapsed", close: "Close", noPicture: "Picture not found:",
      leaderboard: "Leaderboard", behind: "Behind (m)", vmg: "VMG", legCol: "Leg", finished: "finished",
      analysis: "Race analysis", route: "Course", lineBias: "line bias", pickBoat: "Click a boat to see its race.",
      st_finished: "finished", st_ocs: "OCS (over the line at the gun)", st_nsc: "NSC (did not sail the course)",
      st_dnf: "DNF (did not finish)", st_dns: "DNS (did not start)", st_unscored: "not scored",
      lineDistance: "To the line at the gun", over: "over", overReturned: "over, went back", speedAtGun: "Speed at the gun",
      crossed: "Started", linePosition: "Along the line", behindAtGun: "Behind at the gun",
      behindMinute: "Behind 1 min later", sailedNm: "Sailed", top: "top", manoeuvres: "Manoeuvres", tacks: "tacks",
      gybes: "gybes", jumps: "GPS jumps left out", leg: "Leg", time: "Time", sailedM: "m", avgKn: "kn",
      vmgKn: "VMG", tg: "T/G", stbd: "Stbd", places: "+/−", behindS: "Behind", noResults: "No results:",
      chartBehind: "Behind the leader (m)", chartSpeed: "Speed (kn)", chartAdd: "+ Boat", chartRemove: "Take off the charts",
      boatClass: "Class", series: "Series", total: "Total", nett: "Nett", backToReplay: "Back to the replay",
      resultsPage: "Results page", noSeries: "No series:", raceNo: "Race",
      tabBoard: "Board", tabAnalysis: "Analysis", tabCharts: "Charts", tabMenu: "Menu",
      seriesNote: "Low-point scoring (Racing Rules of Sailing, Appendix A), no discard; a boat missing a race scores DNC."
    },
    ja: {
      play: "再生", pause: "一時停止", fit: "全体表示", loop: "連続再生", races: "レース", speed: "速度", race: "レース設定",
      tail: "航跡", off: "なし", min1: "1分", min5: "5分", whole: "レース全体",
      speedColours: "速度で色分け",
      boat: "艇名", kn: "ノット", course: "針路", sailed: "航走距離 (海里)", speedCol: "速力 (ノット)",
      results: "成績", rank: "順位", start: "スタート", finish: "フィニッシュ", elapsed: "所要時間", corrected: "修正時間",
      status: "状態", noFinish: "フィニッシュラインがないため成績はありません。", noneYet: "まだフィニッシュした艇はありません。",
      wind: "風", photos: "写真", noRaces: "このフォルダにはレースデータがありません。", following: "追尾中",
      toStart: "スタートまで", elapsedLabel: "経過", close: "閉じる", noPicture: "写真が見つかりません:",
      leaderboard: "現在の順位", behind: "差 (m)", vmg: "VMG", legCol: "レグ", finished: "フィニッシュ",
      analysis: "レース分析", route: "コース", lineBias: "ラインの有利度", pickBoat: "艇をクリックするとその艇の分析を表示します。",
      st_finished: "フィニッシュ", st_ocs: "OCS (スタート時にライン越え)", st_nsc: "NSC (コース不履行)",
      st_dnf: "DNF (フィニッシュせず)", st_dns: "DNS (スタートせず)", st_unscored: "採点なし",
      lineDistance: "スタート時のラインまでの距離", over: "ライン越え", overReturned: "ライン越え後に戻った",
      speedAtGun: "スタート時の速度", crossed: "スタート", linePosition: "ライン上の位置", behindAtGun: "スタート時のトップとの差",
      behindMinute: "1分後のトップとの差", sailedNm: "航走距離", top: "最高", manoeuvres: "タック・ジャイブ", tacks: "タック",
      gybes: "ジャイブ", jumps: "除外したGPSの飛び", leg: "レグ", time: "時間", sailedM: "m", avgKn: "kn",
      vmgKn: "VMG", tg: "T/G", stbd: "スタボー", places: "順位増減", behindS: "トップとの差", noResults: "成績なし:",
      chartBehind: "トップとの差 (m)", chartSpeed: "速度 (kn)", chartAdd: "+ 艇", chartRemove: "グラフから外す",
      boatClass: "クラス", series: "シリーズ成績", total: "合計", nett: "純得点", backToReplay: "リプレイに戻る",
      resultsPage: "成績表", noSeries: "シリーズ成績なし:", raceNo: "レース",
      tabBoard: "順位", tabAnalysis: "分析", tabCharts: "グラフ", tabMenu: "メニュー",
      seriesNote: "低得点方式（セーリング競技規則 付則A）、除外レースなし。出場しなかったレースは DNC。"
    }
  };

  var i18n = {
    lang: "en",
    detect: function (nav) { return /^ja/i.test((nav && nav.language) || "") ? "ja" : "en"; },
    t: function (key) { return (text[i18n.lang] && text[i18n.lang][key]) || text.en[key] || key; },
    // Every element marked data-i18n gets its caption in the current language.
    apply: function (doc) {
      doc.documentElement.lang = i18n.lang;
      Array.prototype.forEach.call(doc.querySelectorAll("[data-i18n]"), function (el) {
        el.textContent = i18n.t(el.getAttribute("data-i18n"));
      });
      Array.prototype.forEach.call(doc.querySelectorAll("[data-i18n-title]"), function (el) {
        el.title = i18n.t(el.getAttribute("data-i18n-title"));
      });
    },
    text: text
  };
  Tack.i18n = i18n;
  if (typeof module !== "undefined") module.exports = i18n;
})(typeof window !== "undefined" ? window : globalThis);
