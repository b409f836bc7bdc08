// Stand-in for the Google Maps API: the members the map pages use, recording
// what the page asks of them.
var stubLog = { maps: [], lines: [], markers: [], times: [], follows: [] };

var google = {
  maps: {
    MapTypeId: { ROADMAP: "roadmap" },
    LatLng: function (lat, lng) {
      this.lat = lat;
      this.lng = lng;
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
      this.position = options.position;
      this.map = options.map || null;
      stubLog.markers.push(this);
      stubLog.times.push(performance.now());
    }
  }
};
google.maps.Map.prototype.panTo = function (p) {
  stubLog.follows.push(p.lat + "," + p.lng);
};
google.maps.Polyline.prototype.setMap = function (m) {
  this.map = m;
};
google.maps.Marker.prototype.setMap = function (m) {
  this.map = m;
};

function stubPoint(p) {
  return p.lat + "," + p.lng;
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
