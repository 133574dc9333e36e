#!/usr/bin/env python3
"""Writes the data file scripts/screens starts the program on: one reminder of each rule, one that
was missed while the program was not running (the notice window shows it at start) and, when
asked, one that falls due DUE seconds from now. Times are the local time of this machine, which
is the local time of the programs run under Wine here; texts are in the en-US formats Wine uses
under the C locale.

    seed_screens.py FILE [--due SECONDS] [--empty]
"""
import argparse
import datetime as dt
import struct

EPOCH = dt.datetime(1899, 12, 30)


def serial(t):
    return (t - EPOCH) / dt.timedelta(days=1)


def date_time_text(t):
    return f"{t.month}/{t.day}/{t.year} {time_text(t)}"


def time_text(t):
    h = t.hour % 12 or 12
    return f"{h}:{t.minute:02d}:{t.second:02d} {'AM' if t.hour < 12 else 'PM'}"


def repeat_hex(days=(), date=None):
    data = bytearray(31)
    for d in days:
        data[d] = 1
    if date is not None:
        data[7:15] = struct.pack("<d", float(int(serial(date))))
    return data.hex().upper()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("file")
    ap.add_argument("--due", type=int, default=0)
    ap.add_argument("--empty", action="store_true")
    ap.add_argument("--version", default="")
    a = ap.parse_args()
    now = dt.datetime.now().replace(microsecond=0)
    lines = ["[CONFIG]", "AUTEUPDATE=0", "CHECKNEWS=0", "NEWSID=-1", "Language=English"]
    if a.version:
        lines.append(f"SetupVer={a.version}")
    records = []
    if not a.empty:
        at = lambda h, m: now.replace(hour=h, minute=m, second=0)
        records = [
            # (name, period, wake time, repeat data, last announced)
            ("Water the plants", 1, at(8, 30), repeat_hex(), now),
            ("Team meeting", 2, at(10, 0), repeat_hex(days=(1, 3, 5)), now),
            ("Pay the rent", 3, at(9, 0), repeat_hex(days=(0, 9, 10, 14, 30)), now),
            ("Mum's birthday", 4, at(19, 0), repeat_hex(date=now.replace(month=3, day=14)), now),
            ("Dentist appointment", 0, at(14, 30), repeat_hex(date=now + dt.timedelta(days=3)), now),
            # Fell due yesterday while the program was not running.
            ("Call the bank about the card", 0, now - dt.timedelta(days=1),
             repeat_hex(date=now - dt.timedelta(days=1)), now - dt.timedelta(days=2)),
        ]
        if a.due:
            due = now + dt.timedelta(seconds=a.due)
            records.append(("Stretch your legs", 0, due, repeat_hex(date=due), now))
    sections = []
    lines.append("[UNFINISHED]")
    for i, (name, period, wake, data, last) in enumerate(records):
        created = now - dt.timedelta(days=30, minutes=i)
        key = "R" + created.strftime("%Y%m%d%H%M%S")
        lines.append(f"{key}={name}")
        sections += [f"[{key}]", f"PERIOD={period}", f"CREATEDATETIME={date_time_text(created)}",
                     f"LASTTIME={date_time_text(last)}", f"WAKETIME={time_text(wake)}", "VOICE=",
                     "ENDTIME=", f"REPEAT_DATA={data}"]
    with open(a.file, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(lines + sections) + "\n")


if __name__ == "__main__":
    main()
