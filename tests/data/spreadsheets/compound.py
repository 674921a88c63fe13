# A minimal writer of OLE2 compound files (version 3, 512-byte sectors), shared by the make_*.py
# scripts of this folder.
import struct

END, FREE, FATSECT, NOSTREAM = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF


def compound_file(streams):
    """A version 3 compound file (512-byte sectors) with the given streams in its root storage."""
    mini, mini_fat, entries, big = b"", [], [], []
    for name, data in streams:
        if len(data) < 4096:
            start, count = len(mini) // 64, (len(data) + 63) // 64
            mini_fat += [start + i + 1 for i in range(count - 1)] + [END]
            mini += data.ljust(count * 64, b"\0")
            entries.append([name, start, len(data)])
        else:
            entries.append([name, None, len(data)])
            big.append((len(entries) - 1, data))
    sectors, fat = [], []

    def place(data):
        count = (len(data) + 511) // 512
        start = len(sectors)
        for i in range(count):
            sectors.append(data[i * 512:(i + 1) * 512].ljust(512, b"\0"))
            fat.append(start + i + 1 if i < count - 1 else END)
        return start

    mini_fat_start = place(b"".join(struct.pack("<I", v) for v in mini_fat).ljust(512, b"\xff"))
    mini_start = place(mini)
    for index, data in big:
        entries[index][1] = place(data)

    def entry(name, kind, child, right, start, size):
        raw = name.encode("utf-16-le") + b"\0\0"
        return (raw.ljust(64, b"\0") + struct.pack("<HBB", len(raw), kind, 1)
                + struct.pack("<III", NOSTREAM, right, child) + b"\0" * 36 + struct.pack("<III", start, size, 0))

    # Sorted by name length, each stream the right sibling of the one before (a valid, if
    # unbalanced, tree).
    order = sorted(range(len(entries)), key=lambda i: (len(entries[i][0]), entries[i][0].upper()))
    directory = entry("Root Entry", 5, order[0] + 1, NOSTREAM, mini_start, len(mini))
    for position, i in enumerate(order):
        right = order[position + 1] + 1 if position + 1 < len(order) else NOSTREAM
        name, start, size = entries[i]
        directory += entry(name, 2, NOSTREAM, right, start, size)
    empty = b"\0" * 64 + struct.pack("<HBB", 0, 0, 0) + struct.pack("<III", NOSTREAM, NOSTREAM, NOSTREAM) + b"\0" * 48
    while len(directory) % 512:
        directory += empty
    directory_start = place(directory)

    fat_count = 1
    while (len(sectors) + fat_count) > fat_count * 128:
        fat_count += 1
    fat_start = len(sectors)
    fat += [FATSECT] * fat_count
    fat += [FREE] * (fat_count * 128 - len(fat))
    table = b"".join(struct.pack("<I", v) for v in fat)
    for i in range(fat_count):
        sectors.append(table[i * 512:(i + 1) * 512])
    difat = [fat_start + i for i in range(fat_count)] + [FREE] * (109 - fat_count)
    head = (b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 16 + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6)
            + b"\0" * 6 + struct.pack("<IIIIIIIII", 0, fat_count, directory_start, 0, 4096, mini_fat_start,
                                      1, END, 0)
            + b"".join(struct.pack("<I", v) for v in difat))
    return head + b"".join(sectors)
