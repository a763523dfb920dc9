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
      toStart: "to start", elapsedLabel: "elapsed", close: "Close", noPicture: "Picture not found:"
    },
    ja: {
      play: "再生", pause: "一時停止", fit: "全体表示", loop: "連続再生", races: "レース", speed: "速度", race: "レース設定",
      tail: "航跡", off: "なし", min1: "1分", min5: "5分", whole: "レース全体",
      speedColours: "速度で色分け",
      boat: "艇名", kn: "ノット", course: "針路", sailed: "航走距離 (海里)", speedCol: "速力 (ノット)",
      results: "成績", rank: "順位", start: "スタート", finish: "フィニッシュ", elapsed: "所要時間", corrected: "修正時間",
      status: "状態", noFinish: "フィニッシュラインがないため成績はありません。", noneYet: "まだフィニッシュした艇はありません。",
      wind: "風", photos: "写真", noRaces: "このフォルダにはレースデータがありません。", following: "追尾中",
      toStart: "スタートまで", elapsedLabel: "経過", close: "閉じる", noPicture: "写真が見つかりません:"
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
