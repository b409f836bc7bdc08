// Stand-in for the Baidu map API: the members the map page uses, recording
// what the page asks of them.
var stubLog = { maps: [], markers: [], times: [], icons: [], follows: [], fits: [] };
var BMAP_NAVIGATION_CONTROL_LARGE = "large";

var BMap = {
  Point: function (lng, lat) {
    this.lng = lng;
    this.lat = lat;
  },
  Size: function (width, height) {
    this.width = width;
    this.height = height;
  },
  Icon: function (url, size, options) {
    this.url = url;
    this.size = size;
    this.options = options;
    stubLog.icons.push(this);
  },
  Marker: function (point, options) {
    this.position = point;
    this.options = options || {};
    stubLog.markers.push(this);
    stubLog.times.push(performance.now());
  },
  Polyline: function (points, options) {
    this.path = points;
    this.options = options;
  },
  NavigationControl: function (options) {
    this.options = options;
  },
  Map: function (id) {
    this.element = id;
    this.overlays = [];
    this.controls = [];
    this.zoom = 0;
    this.wheel = false;
    this.keyboard = false;
    stubLog.maps.push(this);
  }
};
BMap.Polyline.prototype.setPath = function (points) {
  this.path = points;
};
BMap.Polyline.prototype.setStrokeColor = function (color) {
  this.options.strokeColor = color;
};
BMap.Polyline.prototype.setStrokeOpacity = function (opacity) {
  this.options.strokeOpacity = opacity;
};
BMap.Polyline.prototype.setStrokeWeight = function (weight) {
  this.options.strokeWeight = weight;
};
// Listeners by object; stubFire calls them as a user's action would.
BMap.Polyline.prototype.addEventListener = BMap.Marker.prototype.addEventListener =
    function (name, handler) {
      this.listeners = this.listeners || {};
      (this.listeners[name] = this.listeners[name] || []).push(handler);
    };
function stubFire(object, name, event) {
  ((object.listeners || {})[name] || []).forEach(function (h) { h(event); });
}
BMap.Map.prototype.setViewport = function (points) {
  stubLog.fits.push(points.map(stubPoint).join(" "));
};
BMap.Map.prototype.centerAndZoom = function (p, zoom) {
  this.zoom = zoom;
  stubLog.follows.push(p.lat + "," + p.lng + "@" + zoom);
};
BMap.Map.prototype.getZoom = function () {
  return this.zoom;
};
BMap.Map.prototype.addOverlay = function (o) {
  this.overlays.push(o);
};
BMap.Map.prototype.removeOverlay = function (o) {
  var i = this.overlays.indexOf(o);
  if (i >= 0) this.overlays.splice(i, 1);
};
BMap.Map.prototype.addControl = function (c) {
  this.controls.push(c);
};
BMap.Map.prototype.enableScrollWheelZoom = function () {
  this.wheel = true;
};
BMap.Map.prototype.enableKeyboard = function () {
  this.keyboard = true;
};

function stubPoint(p) {
  return p.lat + "," + p.lng;
}

// What is on the map now, in the shape both stand-ins share.
function stubState() {
  var overlays = stubLog.maps.length ? stubLog.maps[0].overlays : [];
  var lines = overlays.filter(function (o) { return o instanceof BMap.Polyline; });
  return JSON.stringify({
    lines: lines.map(function (l) { return l.path.map(stubPoint).join(" "); }),
    styles: lines.map(function (l) {
      return l.options.strokeColor + "/" + l.options.strokeOpacity + "/" + l.options.strokeWeight;
    }),
    markers: overlays.filter(function (o) { return o instanceof BMap.Marker; })
                 .map(function (m) { return stubPoint(m.position); }),
    made: stubLog.markers.slice(1).map(function (m) { return stubPoint(m.position); }),
    times: stubLog.times.slice(1),
    follows: stubLog.follows.slice(1),
    timer: timer != null
  });
}
