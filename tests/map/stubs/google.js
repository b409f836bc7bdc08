// Stand-in for the Google Maps API: the members the map pages use, recording
// what the page asks of them.
var stubLog = { maps: [], lines: [], markers: [], times: [], follows: [], fits: [] };

var google = {
  maps: {
    MapTypeId: { ROADMAP: "roadmap" },
    LatLng: function (lat, lng) {
      this.latValue = Number(lat);
      this.lngValue = Number(lng);
    },
    LatLngBounds: function () {
      this.points = [];
    },
    SymbolPath: { CIRCLE: 0 },
    event: {
      // Listeners by object; trigger calls them as a user's action would.
      addListener: function (object, name, handler) {
        object.listeners = object.listeners || {};
        (object.listeners[name] = object.listeners[name] || []).push(handler);
      },
      trigger: function (object, name, event) {
        ((object.listeners || {})[name] || []).forEach(function (h) { h(event); });
      }
    },
    Map: function (element, options) {
      this.element = element.id;
      this.options = options;
      stubLog.maps.push(this);
    },
    Polyline: function (options) {
      this.options = options;
      this.map = null;
      stubLog.lines.push(this);
    },
    Marker: function (options) {
      this.options = options;
      this.position = options.position;
      this.map = options.map || null;
      stubLog.markers.push(this);
      stubLog.times.push(performance.now());
    }
  }
};
google.maps.LatLng.prototype.lat = function () {
  return this.latValue;
};
google.maps.LatLng.prototype.lng = function () {
  return this.lngValue;
};
google.maps.LatLng.prototype.toJSON = function () {
  return { lat: this.latValue, lng: this.lngValue };
};
google.maps.LatLngBounds.prototype.extend = function (p) {
  this.points.push(p);
};
google.maps.Map.prototype.panTo = function (p) {
  stubLog.follows.push(stubPoint(p));
};
google.maps.Map.prototype.fitBounds = function (bounds) {
  stubLog.fits.push(bounds.points.map(stubPoint).join(" "));
};
google.maps.Polyline.prototype.setOptions = function (options) {
  for (var key in options) {
    this.options[key] = options[key];
  }
};
google.maps.Polyline.prototype.setMap = function (m) {
  this.map = m;
};
google.maps.Marker.prototype.setMap = function (m) {
  this.map = m;
};

function stubPoint(p) {
  return p.lat() + "," + p.lng();
}

// What is on the map now, in the shape both stand-ins share.
function stubState() {
  var onMap = function (o) { return o.map != null; };
  var lines = stubLog.lines.filter(onMap);
  return JSON.stringify({
    lines: lines.map(function (l) { return l.options.path.map(stubPoint).join(" "); }),
    styles: lines.map(function (l) {
      return l.options.strokeColor + "/" + l.options.strokeOpacity + "/" + l.options.strokeWeight;
    }),
    markers: stubLog.markers.filter(onMap).map(function (m) { return stubPoint(m.position); }),
    made: stubLog.markers.map(function (m) { return stubPoint(m.position); }),
    times: stubLog.times,
    follows: stubLog.follows,
    timer: timer != null
  });
}
