#!/usr/bin/env python3
"""Makes the program's own sound and busy animation: copy.wav (a short two-note chime) and
busy.gif (a ring of twelve dots turning, 48 x 48). Run it again only to change them; the files it
writes are kept in the repository."""

import math
import os
import struct
import sys
import wave


def write_chime(path):
    rate = 22050
    frames = bytearray()
    total = int(rate * 0.32)
    samples = [0.0] * total
    for freq, start, length in ((880.0, 0.0, 0.14), (1318.5, 0.10, 0.22)):
        first = int(start * rate)
        for i in range(int(length * rate)):
            t = i / rate
            envelope = math.exp(-t * 14.0) * min(1.0, i / 60.0)
            if first + i < total:
                samples[first + i] += 0.35 * envelope * math.sin(2 * math.pi * freq * t)
    for s in samples:
        frames += struct.pack('<h', int(max(-1.0, min(1.0, s)) * 32000))
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def lzw(pixels, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table = {bytes([i]): i for i in range(clear)}
    size = min_code_size + 1
    emit(clear, size)
    word = b''
    for p in pixels:
        w = word + bytes([p])
        if w in table:
            word = w
            continue
        emit(table[word], size)
        if len(table) + 2 < 4096:
            table[w] = len(table) + 2
            if len(table) + 2 > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table = {bytes([i]): i for i in range(clear)}
            size = min_code_size + 1
        word = bytes([p])
    if word:
        emit(table[word], size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def write_spinner(path, size=48, frames=12):
    # Palette: 0 background (transparent), 1..8 greys from light to the dark blue of the chart.
    palette = [(255, 255, 255)]
    for k in range(8):
        f = k / 7.0
        palette.append((int(220 - f * 220), int(226 - f * 194), int(235 - f * 139)))
    palette += [(0, 0, 0)] * (16 - len(palette))
    data = bytearray(b'GIF89a' + struct.pack('<HHBBB', size, size, 0xF3, 0, 0))
    for r, g, b in palette:
        data += bytes((r, g, b))
    data += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'  # loop for ever
    centre, ring, dot = size / 2.0, size * 0.34, size * 0.085
    for f in range(frames):
        pixels = bytearray(size * size)
        for d in range(12):
            angle = 2 * math.pi * d / 12
            cx, cy = centre + ring * math.sin(angle), centre - ring * math.cos(angle)
            shade = 8 - ((f - d) % 12) * 7 // 11  # the head of the ring is darkest
            for y in range(int(cy - dot - 1), int(cy + dot + 2)):
                for x in range(int(cx - dot - 1), int(cx + dot + 2)):
                    if 0 <= x < size and 0 <= y < size and (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= dot * dot:
                        pixels[y * size + x] = shade
        data += b'\x21\xF9\x04\x09' + struct.pack('<H', 8) + b'\x00\x00'  # 80 ms, transparent 0
        data += b'\x2C' + struct.pack('<HHHHB', 0, 0, size, size, 0)
        data += bytes((4,))
        encoded = lzw(pixels, 4)
        for i in range(0, len(encoded), 255):
            block = encoded[i:i + 255]
            data += bytes((len(block),)) + block
        data += b'\x00'
    data += b'\x3B'
    with open(path, 'wb') as fh:
        fh.write(data)


if __name__ == '__main__':
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_chime(os.path.join(folder, 'copy.wav'))
    write_spinner(os.path.join(folder, 'busy.gif'))
