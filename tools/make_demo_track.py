#!/usr/bin/env python3
"""Writes data/demo_track.csv: a drive of about two and a half minutes through
Futian, Shenzhen, one row per second, as the film writer reads it.

Route: north on Yitian Road from Fuhua Road, a red light at Shennan Boulevard,
east on Shennan Boulevard (about ten seconds without fix in the underpass),
north on Jintian Road. G-sensor values are raw type-60 readings: 256 is 0 g,
128 per g; X along the car, Y across it, Z up.
"""
import math
import os
import random

random.seed(2026)
M_PER_DEG_LAT = 110_574.0


def m_per_deg_lon(lat):
    return 111_320.0 * math.cos(math.radians(lat))


# Waypoints (decimal degrees) and the speed limit (km/h) on the leg that starts there.
WAYPOINTS = [
    ((22.53450, 114.05905), 50),  # Yitian Rd at Fuhua Rd, heading north
    ((22.54020, 114.05920), 60),  # Shennan Blvd: wait at the light, turn right (east)
    ((22.54035, 114.06510), 45),  # Jintian Rd: turn left (north)
    ((22.54640, 114.06530), 0),   # stop
]
RED_LIGHT_SECONDS = 12
UNDERPASS = (0.45, 10)  # fraction of the Shennan leg where it starts, seconds without fix


def leg_course(a, b):
    dy = (b[0] - a[0]) * M_PER_DEG_LAT
    dx = (b[1] - a[1]) * m_per_deg_lon(a[0])
    return math.degrees(math.atan2(dx, dy)) % 360.0


def simulate():
    """Returns per-second states: (lat, lon, speed km/h, course, accel m/s², yaw rate deg/s, fix)."""
    lat, lon = WAYPOINTS[0][0]
    speed = 0.0  # m/s
    course = leg_course(WAYPOINTS[0][0], WAYPOINTS[1][0])
    states = [(lat, lon, 0.0, course, 0.0, 0.0, True)] * 2  # waiting to pull out
    for leg in range(len(WAYPOINTS) - 1):
        (start, limit), (end, _) = WAYPOINTS[leg], WAYPOINTS[leg + 1]
        target_course = leg_course(start, end)
        leg_len = math.hypot((end[0] - start[0]) * M_PER_DEG_LAT,
                             (end[1] - start[1]) * m_per_deg_lon(start[0]))
        travelled = 0.0
        underpass_left = None
        if leg == 1:
            underpass_start = UNDERPASS[0] * leg_len
        while travelled < leg_len - 0.5:
            left = leg_len - travelled
            # Slow to turn at the end of each leg; the last leg ends standing still.
            end_speed = 0.0 if leg == len(WAYPOINTS) - 2 or leg == 0 else 4.5
            brake_speed = math.sqrt(end_speed ** 2 + 2 * 1.6 * max(left - 4, 0))
            cruise = limit / 3.6 * (0.92 + 0.06 * math.sin(travelled / 60.0))
            wanted = min(cruise, brake_speed)
            accel = max(-3.0, min(1.9, wanted - speed))
            new_speed = max(0.0, speed + accel)
            step = min((speed + new_speed) / 2, left)
            turn = ((target_course - course + 540) % 360) - 180
            yaw = max(-18.0, min(18.0, turn))
            course = (course + yaw) % 360
            speed = new_speed
            travelled += step
            frac = travelled / leg_len
            lat = start[0] + (end[0] - start[0]) * frac
            lon = start[1] + (end[1] - start[1]) * frac
            fix = True
            if leg == 1:
                if underpass_left is None and travelled >= underpass_start:
                    underpass_left = UNDERPASS[1]
                if underpass_left:
                    fix = False
                    underpass_left -= 1
            states.append((lat, lon, speed * 3.6, course, accel, yaw, fix))
            if speed < 0.05 and left < 1.0:
                break
        speed = min(speed, 4.5) if leg < len(WAYPOINTS) - 2 else speed
        if leg == 0:
            # Run up to the stop line, then wait for green.
            speed = 0.0
            for _ in range(RED_LIGHT_SECONDS):
                states.append((end[0], end[1], 0.0, course, 0.0, 0.0, True))
    for _ in range(2):  # parked at the end
        states.append((lat, lon, 0.0, course, 0.0, 0.0, True))
    return states


def nmea(value):
    whole = math.floor(value)
    return whole * 100 + (value - whole) * 60


def gsensor(g):
    return max(0, min(512, round(256 + g * 128)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "data", "demo_track.csv")
    start = 1 * 3600 + 15 * 60  # 01:15:00 UTC = 09:15 in Shenzhen
    lines = ["status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,"
             "day,month,year,hour,minute,second,gsensor_x,gsensor_y,gsensor_z"]
    for i, (lat, lon, kmh, course, accel, yaw, fix) in enumerate(simulate()):
        t = start + i
        noise = lambda: random.gauss(0, 0.015 + 0.0006 * kmh)
        gx = gsensor(accel / 9.81 + noise())
        gy = gsensor((kmh / 3.6) * math.radians(yaw) / 9.81 + noise())
        gz = gsensor(1.0 + noise())
        # Small wander of the receiver around the road's centre line.
        lat += random.gauss(0, 0.000004)
        lon += random.gauss(0, 0.000004)
        if fix:
            cells = ["A", f"{nmea(lat):.4f}", "N", f"{nmea(lon):.4f}", "E",
                     f"{kmh + random.gauss(0, 0.3) * (kmh > 1):.1f}".replace("-0.0", "0.0"),
                     f"{course:.1f}"]
        else:
            cells = ["V", "0.0000", "N", "0.0000", "E", "0.0", "0.0"]
        cells += ["8", "12", "2026", str(t // 3600), str(t // 60 % 60), str(t % 60),
                  str(gx), str(gy), str(gz)]
        lines.append(",".join(cells))
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    print(f"{path}: {len(lines) - 1} rows")


if __name__ == "__main__":
    main()
