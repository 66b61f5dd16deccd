#!/usr/bin/env python3
"""Writes the seed inputs of every fuzz target into fuzz/corpus/<Target>/ (small valid and damaged
inputs). Files already there, found crashes among them, are kept."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def frames(pairs):
    return b"".join(bytes([0x41, a, 0x42, b]) for a, b in pairs)


# Frame parser: mode byte (odd = clean frames made from the payload), chunk count, chunk lengths, payload.
ramp = frames((i, 255 - i) for i in range(64))
put("FrameParserFuzz", "clean-ramp", bytes([1, 2, 5, 3, 9, 1]) + bytes(range(128)))
put("FrameParserFuzz", "raw-frames-one-chunk", bytes([0, 0, 64, 0]) + ramp)
put("FrameParserFuzz", "raw-frames-odd-chunks", bytes([0, 3, 0, 1, 0, 2, 1, 3]) + ramp)
put("FrameParserFuzz", "garbage-then-frames", bytes([0, 0, 10, 2]) + b"\x41\x41\x42\x00\x42" * 7 + ramp)
put("FrameParserFuzz", "markers-only", bytes([0, 1, 0, 3, 2, 0]) + b"\x41\x42" * 200)
put("FrameParserFuzz", "full-buffer", bytes([0, 0, 255, 3]) + bytes(3000))
put("FrameParserFuzz", "empty", b"")

# Identification: limit byte, then the queued reply.
for name, data in {
    "model-1": b"\x04\x01", "model-4": b"\x04\x04", "above-limit": b"\x04\x05", "zero": b"\x04\x00",
    "two-bytes": b"\x04\x02\x02", "no-reply": b"\x04", "limit-0": b"\x00\x01", "limit-255": b"\xff\xff",
}.items():
    put("IdentifyFuzz", name, data)

# Profile files: the same bytes are the configuration and a ".ros".
profiles = {
    "ros-valid": b"[PARAMETRY]\r\nPODSTAWA=15\r\nCZULOSCA=3\r\nCZULOSCB=4\r\nTRYBA=2\r\nTRYBB=0\r\n"
                 b"OFFSETA=120\r\nOFFSETB=80\r\nILOSCKANALOW=2\r\n",
    "ros-out-of-range": b"[parametry]\nPODSTAWA=40\nCZULOSCA=0\nCZULOSCB=11\nTRYBA=3\nTRYBB=-1\nILOSCKANALOW=9\n",
    "ros-wraps-in-a-byte": b"[PARAMETRY]\nPODSTAWA=257\nCZULOSCA=$10A\nILOSCKANALOW=0x104\nTRYBA=99999999999\n",
    "ros-garbage-values": b"[PARAMETRY]\nPODSTAWA=abc\nCZULOSCA= 5x\nILOSCKANALOW=\n=7\n[\n",
    "config-valid": "[CONFIG]\nCOMPORT=/dev/ttyUSB0\nCL0=4517614\nCLTLO1=0\nCLTLO2=$333333\nGRADIENT=1\n"
                    "OFFSETZEROA=100\nUKLAD=2\nWINTOP=-20\nWINLEFT=99999\nDATADIR=/tmp/dane ąę\n".encode(),
    "config-damaged": b"\xef\xbb\xbf[CONFIG\nUKLAD=0\nOFFSETZEROA=300\n\x00\xff\xfe[CONFIG]\nCL1=-2147483649\n",
    "empty": b"",
}
for name, data in profiles.items():
    put("ProfileFuzz", name, data)


# Recordings: four u32 sample-file lengths, u16 ".ros" length, ".ros", u32 view start, three zoom
# choices, sample pattern.
def recording(lengths, ros, start, zooms, pattern):
    return (struct.pack("<4I", *lengths) + struct.pack("<H", len(ros)) + ros + struct.pack("<I", start)
            + bytes(zooms) + pattern)


MISSING = 0xFFFFFFFF
ros = profiles["ros-valid"]
wave = bytes(125 + int(100 * ((i % 50) - 25) / 25) for i in range(50))
put("RecordingFuzz", "two-channels", recording([1000, 1000, 0, 0], ros, 0, [1, 2, 0], wave))
put("RecordingFuzz", "four-channels-zoomed", recording([4000, 4000, 4000, 4000],
    b"[PARAMETRY]\nILOSCKANALOW=4\n", 300, [3, 1, 1], wave))
put("RecordingFuzz", "different-lengths", recording([600, 20000, 1, 499], ros, 7, [2, 0, 255], wave))
put("RecordingFuzz", "missing-files", recording([MISSING, 500, MISSING, 0], b"", 5, [1, 2, 3], b""))
put("RecordingFuzz", "one-sample", recording([1, 1, MISSING, MISSING], ros, 1, [1, 1, 2], b"\x00"))
put("RecordingFuzz", "sparse-long", recording([1 << 21, 1 << 21, 0, 0], profiles["ros-out-of-range"],
    123456, [2, 1, 7], wave))
put("RecordingFuzz", "damaged-header", recording([3000, 3000, 3000, 0], profiles["ros-garbage-values"],
    999, [0, 3, 2], bytes(range(256))))
put("RecordingFuzz", "truncated", struct.pack("<3I", 800, 800, 800))

# Marker files (".rmk"): valid, escaped, damaged.
for name, data in {
    "valid": b"varnilog-markers;1\r\n0;0;uwaga;12:00:01\r\n5;9;zakres;a\\;b\r\n7;7;strata;17\r\n",
    "escapes": b"varnilog-markers;1\r\n1;1;wyzwolenie;x\\r\\n\\\\y \xc5\xbc\r\n",
    "damaged": b"varnilog-markers;1\r\n4;2;uwaga;x\r\n1;1;nic;x\r\n\xff;1;uwaga\r\n3;3;uwaga;a\\q\r\n",
    "no-format-line": b"1;1;uwaga;x\n2;2;strata;3",
    "empty": b"",
}.items():
    put("MarkerFileFuzz", name, data)

def summary(length, flags, zoom, body):
    return struct.pack("<IBB", length, flags, zoom) + body


put("SummaryFuzz", "valid-long", summary(300000, 3, 1, b"VLSUMMA3" + bytes(range(256)) * 10))
put("SummaryFuzz", "stale-trailer", summary(70000, 2, 3, b"VLSUMMA3" + b"\x10\xf0" * 300))
put("SummaryFuzz", "garbage", summary(5000, 1, 0, b"NOTASUMMARY" * 9))


# Decode results (".rdk"): a sound uart run, one cut short, one with a class past its decoder's.
def rdk_text(s):
    return struct.pack("<I", len(s)) + s


def rdk(annotations, classes=(b"rx-data", b"tx-data", b"rx-start"), failed=b""):
    out = b"VLDECOD1" + struct.pack("<4q", 0, 400, 1000, 400)
    out += struct.pack("<I", 1) + rdk_text(b"uart") + struct.pack("<I", 1) + rdk_text(b"baudrate")
    out += rdk_text(b"100") + struct.pack("<I", len(classes)) + b"".join(rdk_text(c) for c in classes)
    out += struct.pack("<I", 1) + rdk_text(b"rx") + b"\x00"
    out += (b"\x01" + struct.pack("<dd", 0.5, 0.1)) + (b"\x00" + struct.pack("<dd", 0, 0.1)) * 3
    out += struct.pack("<dd", 0.5, 0.1) * 4
    texts = [b"O", b"Start bit", b"S"]
    out += struct.pack("<I", len(texts)) + b"".join(rdk_text(t) for t in texts)
    out += struct.pack("<q", len(annotations))
    for start, end, cls, idx in annotations:
        out += struct.pack("<qqHHH", start, end, 0, cls, len(idx)) + b"".join(struct.pack("<I", i) for i in idx)
    out += (b"\x01" + rdk_text(b"uart") + rdk_text(failed)) if failed else b"\x00" + rdk_text(b"") * 2
    stamp = b"VLSTAMP1" + struct.pack("<5q", 400, 1, 2, 3, 4) + struct.pack("<5q", -1, 0, 0, 0, 0) * 3
    return out + stamp


sound = [(20, 30, 2, [1, 2]), (30, 110, 0, [0])]
put("DecodeResultsFuzz", "valid", rdk(sound))
put("DecodeResultsFuzz", "failed", rdk(sound, failed=b"ZeroDivisionError: float division by zero"))
put("DecodeResultsFuzz", "cut-short", rdk(sound)[:-9])
put("DecodeResultsFuzz", "class-past-decoder", rdk([(20, 30, 7, [1])]))
put("DecodeResultsFuzz", "empty", b"")
