// Phones and small tablets: the side panels, the charts and the menu open over
// the map from a row of tabs, one at a time. The tabs only show on narrow
// screens (style.css); on a desktop this file changes nothing.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};
  var doc = root.document;

  // A panel with nothing to show has no tab: no analysis or charts in an older
  // replay, the photos only while one is near the clock, as on the desktop.
  function available(target) {
    if (!target || target.hidden) return false;
    return target.id !== "photos" || !target.classList.contains("empty");
  }

  function bind(app) {
    var body = doc.body, tabs = Array.prototype.slice.call(doc.querySelectorAll("#tabs [data-panel]"));
    var target = function (tab) { return doc.getElementById(tab.getAttribute("data-panel")); };

    function open(name) {
      if (name) body.setAttribute("data-panel", name); else body.removeAttribute("data-panel");
      tabs.forEach(function (tab) {
        var on = tab.getAttribute("data-panel") === name;
        tab.classList.toggle("on", on);
        tab.setAttribute("aria-expanded", on ? "true" : "false");
      });
      // The charts size themselves to their panel, and the tables fill on the next frame.
      app.lastPanel = 0; app.dirty = true;
    }

    function sync() {
      var shown = body.getAttribute("data-panel");
      tabs.forEach(function (tab) {
        var ok = available(target(tab));
        if (tab.hidden === ok) tab.hidden = !ok;
        if (!ok && tab.getAttribute("data-panel") === shown) open(null);
      });
    }

    tabs.forEach(function (tab) {
      tab.addEventListener("click", function () {
        var name = tab.getAttribute("data-panel");
        open(body.getAttribute("data-panel") === name ? null : name);
      });
    });
    doc.addEventListener("keydown", function (e) {
      if (e.key === "Escape" && body.hasAttribute("data-panel")) open(null);
    });
    if (root.MutationObserver) {
      var watch = new root.MutationObserver(sync);
      tabs.forEach(function (tab) {
        var t = target(tab);
        if (t) watch.observe(t, { attributes: true, attributeFilter: ["hidden", "class"] });
      });
    }
    sync();
    return { open: open, sync: sync };
  }

  var phone = { bind: bind, available: available };
  Tack.phone = phone;
  if (typeof module !== "undefined") module.exports = phone;
  if (!doc) return;
  var start = function () { if (Tack.main) phone.tabs = bind(Tack.main); };
  if (doc.readyState === "loading") doc.addEventListener("DOMContentLoaded", start); else start();
})(typeof window !== "undefined" ? window : globalThis);
