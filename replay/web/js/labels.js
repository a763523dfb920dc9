// Where the map's texts go: none covers another, nor what was reserved before it.
(function (root) {
  "use strict";
  var Tack = root.Tack = root.Tack || {};

  // Boxes as flat x0, y0, x1, y1 runs; a frame holds a few hundred at most.
  function Placer(w, h) { this.w = w; this.h = h; this.boxes = []; }

  Placer.prototype.clear = function (w, h) { this.w = w; this.h = h; this.boxes.length = 0; return this; };
  Placer.prototype.reserve = function (x0, y0, x1, y1) { this.boxes.push(x0, y0, x1, y1); };
  Placer.prototype.free = function (x0, y0, x1, y1) {
    if (x0 < 0 || y0 < 0 || x1 > this.w || y1 > this.h) return false;
    var b = this.boxes;
    for (var i = 0; i < b.length; i += 4)
      if (x0 < b[i + 2] && x1 > b[i] && y0 < b[i + 3] && y1 > b[i + 1]) return false;
    return true;
  };

  // Label corners tried around a boat, as (share of the label's width, x, y) from the boat:
  // above right, below right, above left, below left.
  var BOAT_SPOTS = [0, 12, -22, 0, 12, 6, -1, -12, -22, -1, -12, 6];

  // Takes the first free spot for a w×h box near x, y; fills `out` with its top left corner.
  Placer.prototype.place = function (x, y, w, h, spots, out) {
    for (var i = 0; i < spots.length; i += 3) {
      var x0 = x + spots[i] * w + spots[i + 1], y0 = y + spots[i + 2];
      if (this.free(x0, y0, x0 + w, y0 + h)) {
        this.reserve(x0, y0, x0 + w, y0 + h);
        out.x = x0; out.y = y0;
        return true;
      }
    }
    return false;
  };

  // Degrees and minutes of a grid line: minutes always two digits, rounded to the grid's step.
  function fmtAngle(v, step, pos, neg) {
    var a = Math.abs(v), dg = Math.floor(a + 1e-9), dec = step < 1 ? 1 : 0, mn = ((a - dg) * 60).toFixed(dec);
    if (+mn >= 60) { dg += 1; mn = (0).toFixed(dec); }
    return dg + "\u00b0" + (+mn < 10 ? "0" : "") + mn + "\u2032" + (v < 0 ? neg : pos);
  }

  // Grid labels (text, x, y of the line's end on screen, lat true for a latitude) placed in
  // order: latitudes just right of their left end, longitudes just above their lower end.
  // Returns [{text, x, y}] of those that fit, top left corners; `width(text)` measures.
  function placeGrid(labels, placer, width, height) {
    var shown = [], at = { x: 0, y: 0 };
    labels.forEach(function (g) {
      var w = width(g.text) + 4;
      var spots = g.lat ? [0, 2, -height - 2, 0, 2, 2] : [0, 2, -height - 4, -1, -2, -height - 4];
      // At the screen's edge the end lies on it: slide inwards until the label is inside.
      var x = Math.min(Math.max(g.x, 2), placer.w - w - 4), y = Math.min(Math.max(g.y, height + 4), placer.h);
      if (placer.place(x, y, w, height, spots, at)) shown.push({ text: g.text, x: at.x + 2, y: at.y });
    });
    return shown;
  }

  // What a name shortens to where it does not fit: its trailing number ("Boat 75" is 75),
  // else its first four characters; "" when it is that short already.
  function shortName(name) {
    var m = /(\S*\d\S*)\s*$/.exec(name), chars = Array.from(name);
    if (m && m[1].length < name.length) return m[1];
    return chars.length > 5 ? chars.slice(0, 4).join("").trim() + "\u2026" : "";
  }

  // A boat's label at the first free spot around it, its short form (`shortW` wide, 0 for
  // none) where the full one has none; 1 for the full label, 2 the short one, 0 for neither.
  function placeBoat(placer, x, y, w, h, shortW, out) {
    if (placer.place(x, y, w, h, BOAT_SPOTS, out)) return 1;
    return shortW > 0 && placer.place(x, y, shortW, h, BOAT_SPOTS, out) ? 2 : 0;
  }

  // Labels of boats in the order given (the followed boat first), each placed or left out.
  // items: [{x, y, w, h, shortW}]; returns [{x, y, short}] or null for each.
  function placeBoats(items, placer) {
    return items.map(function (it) {
      var at = { x: 0, y: 0 }, how = placeBoat(placer, it.x, it.y, it.w, it.h, it.shortW || 0, at);
      return how ? { x: at.x, y: at.y, short: how === 2 } : null;
    });
  }

  // The order labels are placed in, into `out`: the followed boat, then the boats ranked
  // 1 to `top` (ranks[k], 0 for none) by rank, then the rest in the race's order.
  function order(n, follow, ranks, top, out) {
    out.length = 0;
    if (follow >= 0 && follow < n) out.push(follow);
    for (var rank = 1; rank <= top; rank++)
      for (var k = 0; k < n; k++) if (ranks[k] === rank && k !== follow) out.push(k);
    for (k = 0; k < n; k++) if (k !== follow && !(ranks[k] >= 1 && ranks[k] <= top)) out.push(k);
    return out;
  }

  var labels = {
    Placer: Placer, fmtAngle: fmtAngle, placeGrid: placeGrid, shortName: shortName, placeBoat: placeBoat,
    placeBoats: placeBoats, order: order
  };
  Tack.labels = labels;
  if (typeof module !== "undefined") module.exports = labels;
})(typeof window !== "undefined" ? window : globalThis);
