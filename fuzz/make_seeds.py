#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/.

The seeds are the packets the tests exchange (replies of every kind, status
blocks of the simulated cameras, console texts), put in each target's input
format. Run it again after changing a target's input format; the files are
kept in the repository so that a build needs no Python.
"""
import os
import struct
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))


def h(text):
    return bytes.fromhex(text)


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


# ---- fuzz_receive: ops [0 len bytes] chunk, [5] echo, [6 kind number] preset,
# [7 header len body] operator command, [0x87] clear
def chunk(text):
    b = h(text)
    return bytes([0, len(b)]) + b


ECHO = b"\x05"
receive = {
    "ack_then_completion_one_chunk": ECHO + chunk("90 41 FF 90 51 FF"),
    "ack_then_completion_two_chunks": ECHO + chunk("90 41 FF") + chunk("90 51 FF"),
    "error": ECHO + chunk("90 60 02 FF"),
    "interface_clear_returned": ECHO + chunk("88 01 00 01 FF"),
    "address_set_returned": ECHO + chunk("88 30 03 FF"),
    "network_change": ECHO + chunk("90 38 FF"),
    "preset_inquiry_ack_completion": ECHO + b"\x06\x01\x02" + chunk("90 50 02 FF") + chunk("90 41 FF") + chunk("90 51 FF"),
    "preset_completion_unacknowledged_then_error": ECHO + b"\x06\x00\x03" + chunk("90 51 FF") + chunk("90 60 02 FF"),
    "echo_off": chunk("90 41 FF 90 51 FF"),
    "command_reply_clear": b"\x07\x00\x04" + h("01 04 07 02") + chunk("90 41 FF") + b"\x87" + chunk("90 51 FF"),
    "split_inside_a_reply": ECHO + chunk("A0") + chunk("41 FF A0") + chunk("51 FF"),
    "long_history": ECHO + b"".join(chunk("90 50 00 01 00 0E 02 05 02 FF 90 41 FF 90 51 FF") for _ in range(12)),
}
write("fuzz_receive", receive)


# ---- fuzz_status_read: [block length][block][conditions][reads - 1] then
# [timing length bytes] per packet written
def record(text, timing=0):
    b = h(text)
    return bytes([timing, len(b)]) + b


VERSION_P3 = "90 50 00 01 00 0E 02 05 02 FF"
VERSION_P2 = "90 50 00 01 00 0D 02 05 02 FF"
VERSION_P1 = "90 50 00 01 00 02 02 05 02 FF"
VERSION_TAMIRO = "90 50 00 20 00 11 02 05 02 FF"
LENS = "90 50 00 00 00 00 0C 00 01 00 00 00 00 01 00 FF"
CAMERA = "90 50 08 00 08 00 00 05 00 00 06 0B 01 0F 07 FF"
OTHER = "90 50 01 00 00 00 00 00 00 00 00 00 00 00 00 FF"
EXPANDED = "90 50 00 00 00 00 00 00 00 00 02 02 00 00 00 FF"
LENS_MOVED = "90 50 01 02 03 04 0A 0B 05 06 07 08 00 2F 00 FF"
CAMERA_MANUAL = "90 50 0A 05 03 0C 05 09 03 06 0D 0E 06 1E 0C FF"
OTHER_PAL = "90 50 05 08 04 07 03 14 01 02 03 04 01 00 00 FF"
PT_POSITION = "90 50 00 00 01 00 0F 0F 0F 00 FF"
PT_STATUS = "90 50 00 00 FF"
PT_SPEEDS = "90 50 18 14 FF"
BLOCKS = [LENS, CAMERA, OTHER, EXPANDED]
P3_READ = [VERSION_P3] + BLOCKS + [PT_POSITION, PT_STATUS, PT_SPEEDS]


def status(conditions, reads, records, block=""):
    b = h(block)
    return bytes([len(b)]) + b + bytes([conditions, reads - 1]) + b"".join(records)


status_seeds = {
    "p3_first_read": status(0x13, 1, [record(p) for p in P3_READ]),
    "p3_two_reads": status(0x13, 2, [record(p) for p in P3_READ + BLOCKS + P3_READ[5:]]),
    "p2_read": status(0x00, 1, [record(p) for p in [VERSION_P2] + BLOCKS]),
    "p1_version_only": status(0x03, 1, [record(VERSION_P1)]),
    "tamiro_read": status(0x20, 1, [record(p) for p in [VERSION_TAMIRO, LENS_MOVED, CAMERA_MANUAL, OTHER_PAL, EXPANDED]]),
    "identified_block_camera": status(0x04, 1, [record(p) for p in BLOCKS]),
    "silent_camera": status(0x04, 1, []),
    "late_answer_then_read": status(0x04, 2, [record(LENS, 2)] + [record(p) for p in BLOCKS * 2]),
    "junk_before_answers": status(0x04, 1, [record("00 12 " + p) for p in BLOCKS]),
    "broken_off_in_blocks": status(0x04, 1, [record(LENS)] + [record("90 51 FF")] * 7),
    "version_on_seventh_try": status(0x00, 1, [record("90 41 FF")] * 6 + [record(VERSION_P3)] + [record(p) for p in BLOCKS]),
    "decoders_then_read": status(0x0C, 1, [record(p) for p in BLOCKS + P3_READ[5:]], block=CAMERA_MANUAL),
}
write("fuzz_status_read", status_seeds)


# ---- fuzz_console: [0|0x10 length text] SendDirect (0x10: Latin-1), [1 c] typed,
# [2] Enter, [3] Backspace, [0x43] status read running on/off
def typed(text):
    return b"".join(bytes([1, ord(c)]) for c in text)


ENTER, BACKSPACE, BUSY = b"\x02", b"\x03", b"\x43"
console = {
    "typed_packet": typed("8101040702ff") + ENTER,
    "typed_refused_characters": typed("G ,810") + ENTER + BACKSPACE + ENTER,
    "enter_on_empty_box": ENTER,
    "typed_without_terminator": typed("8101") + ENTER,
    "direct_text": b"\x10\x0c" + b"8101040702FF",
    "direct_text_with_blank": b"\x10\x05" + b"81 01",
    "refused_while_reading": BUSY + typed("8101") + ENTER + BUSY + b"\x10\x04" + b"8101",
    "wide_digits": b"\x00\x04" + "\uff18\uff11".encode("utf-16-be") + typed("\x7f") + ENTER,
}
write("fuzz_console", console)


# ---- fuzz_sim_parser: [cameras - 1][model index per camera][faults] then
# [length bytes] chunks. Models: 0..2 QUORIN-P1..P3, 3.. the block cameras.
def chunks(*texts):
    return b"".join(bytes([len(h(t))]) + h(t) for t in texts)


sim = {
    "p3_status_and_commands": bytes([0, 2, 0]) + chunks(
        "81 09 00 02 FF", "81 09 7E 7E 00 FF", "81 09 7E 7E 01 FF", "81 09 7E 7E 02 FF",
        "81 09 7E 7E 03 FF", "81 01 04 07 02 FF", "81 09 06 12 FF", "81 01 06 01 18 18 01 03 FF"),
    "chain_maintenance": bytes([2, 1, 3, 10, 0]) + chunks(
        "88 01 00 01 FF", "88 30 01 FF", "82 09 00 02 FF", "83 01 04 00 03 FF", "83 01 04 00 02 FF"),
    "faults": bytes([1, 2, 5, 0x3D]) + h("00 12") + bytes([1]) + chunks("81 09 00 02 FF", "88 01 00 01 FF", "82 01 04 3F 01 02 FF"),
    "noise_and_split": bytes([0, 4, 0]) + chunks("00 12 81", "01 04 47 00", "00 00 00 FF 90 51", "FF"),
    "too_long": bytes([0, 2, 0]) + chunks("81 01 04 47 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF"),
}
write("fuzz_sim_parser", sim)


# ---- fuzz_dialogs: [model][window] then [0 box length text] typed into a
# box, [1 button] pressed, [2 ticks] 50 ms each. Models: 0 quorin-p3,
# 3 tamiro-k9b; windows in the order of the target's list.
WINDOWS = ["SetTimeDate", "IDWrite", "EffectLevel", "SettingMenu", "SettingZones", "PrivacyAv",
           "TitleSet", "MotionDetecter", "AutoPowerOff", "NightPowerOff", "AESpotMode"]


def box(which, text):
    b = text.encode("latin-1")
    return bytes([0, which, len(b)]) + b


def press(which):
    return bytes([1, which])


def wait(ticks):
    return bytes([2, ticks])


dialogs = {}
for w, name in enumerate(WINDOWS):
    for model in (0, 3):
        for label, text in (("numbers", "12"), ("hex", "7F"), ("bad", "-1x"), ("big", "FFFFF")):
            steps = b"".join(box(i, text) for i in range(6))
            steps += b"".join(press(i) + wait(10) for i in range(8))
            dialogs[f"{name}_{model}_{label}"] = bytes([model, w]) + steps
write("fuzz_dialogs", dialogs)


# ---- fuzz_osc_dispatch: [chain][heads][fixed-focus][outcome] then records of
# [length high][length low][OSC message][step]. Chain and heads are bit masks
# of cameras 1..7 (bit 7 of chain: link lost at the start); step: low 4 bits
# times 50 ms, bit 4 turns the link over, bit 5 takes camera 7 out or in.
def osc_string(text):
    b = text.encode("utf-8") + b"\0"
    return b + b"\0" * (-len(b) % 4)


def osc(path, *args):
    tags, data = ",", b""
    for a in args:
        if a is True or a is False:
            tags += "T" if a else "F"
        elif isinstance(a, int):
            tags += "i"
            data += struct.pack(">i", a)
        elif isinstance(a, float):
            tags += "f"
            data += struct.pack(">f", a)
        elif isinstance(a, bytes):
            tags += "b"
            data += struct.pack(">i", len(a)) + a + b"\0" * (-len(a) % 4)
        else:
            tags += "s"
            data += osc_string(a)
    return osc_string(path) + osc_string(tags) + data


def sent(message, step=0):
    return struct.pack(">H", len(message)) + message + bytes([step])


def session(*records, chain=0b0000011, heads=0b0000001, fixed=0, outcome=0):
    return bytes([chain, heads, fixed, outcome]) + b"".join(records)


TABLE = [
    osc("/peltro/select", 2), osc("/peltro/select", 1.0), osc("/peltro/refresh"),
    osc("/peltro/subscribe"), osc("/peltro/subscribe", 9001), osc("/peltro/unsubscribe"),
    osc("/peltro/cam/1/pantilt", 0.5, -0.25), osc("/peltro/cam/1/pantilt", 1, -1), osc("/peltro/cam/1/pantilt", 0.0, 0.0),
    osc("/peltro/cam/1/zoom", 1.0), osc("/peltro/cam/2/zoom", -0.5), osc("/peltro/cam/1/focus", 0.3),
    osc("/peltro/cam/1/stop"), osc("/peltro/cam/1/stop", 1.0), osc("/peltro/cam/1/home"),
    osc("/peltro/cam/1/preset/recall", 3), osc("/peltro/cam/1/preset/set", 6.0), osc("/peltro/cam/2/preset/reset", 0),
    osc("/peltro/cam/1/focus/auto", 1), osc("/peltro/cam/2/focus/auto", False), osc("/peltro/cam/1/focus/onepush"),
    osc("/peltro/cam/2/power", 0), osc("/peltro/cam/1/power", True),
]
oscs = {
    "whole_table": session(*(sent(m) for m in TABLE)),
    "hold_runs_out": session(sent(osc("/peltro/cam/1/pantilt", 0.5, 0.5), 9), sent(osc("/peltro/cam/2/zoom", 1.0), 12)),
    "link_drops_while_moving": session(sent(osc("/peltro/cam/1/zoom", 1.0)), sent(osc("/peltro/cam/2/focus", -1.0), 0x10),
                                       sent(osc("/peltro/cam/1/zoom", 1.0), 0x10)),
    "camera_leaves_while_moving": session(sent(osc("/peltro/cam/7/pantilt", 1.0, 0.0), 0x20), sent(osc("/peltro/cam/7/stop"), 0x20),
                                          chain=0b1000001, heads=0b1000001),
    "refusals": session(sent(osc("/peltro/cam/2/pantilt", 1.0, 1.0)), sent(osc("/peltro/cam/3/zoom", 1.0)),
                        sent(osc("/peltro/cam/1/zoom", 2.0)), sent(osc("/peltro/cam/1/zoom", "fast")),
                        sent(osc("/peltro/cam/1/preset/recall", 9)), sent(osc("/peltro/cam/1/stop", b"\x01\x02")),
                        sent(osc("/peltro/cam/99/zoom", 1.0)), sent(osc("/peltro/cam/*/stop"))),
    "chain_refuses_presets": session(sent(osc("/peltro/cam/1/preset/recall", 2)), outcome=0x56),
    "link_lost_from_start": session(sent(osc("/peltro/cam/1/zoom", 1.0)), sent(osc("/peltro/cam/1/stop")), chain=0x83),
    "fixed_focus_speed": session(sent(osc("/peltro/cam/2/focus", 0.01)), sent(osc("/peltro/cam/2/focus", -1)), fixed=0b10),
    "not_osc": session(sent(b"#bundle\0" + b"\0" * 8), sent(b"/peltro/select\0\0,x\0\0"), sent(b"")),
}
write("fuzz_osc_dispatch", oscs)
