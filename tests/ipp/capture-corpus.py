#!/usr/bin/env python3
"""capture-corpus.py - records real answers of the private CUPS test server
into tests/ipp/corpus/, the fuzzer's seed corpus and the codec tests' samples.

Usage: tests/ipp/cups-server.sh start /tmp/cups &&
       tests/ipp/cups-server.sh env /tmp/cups -- python3 tests/ipp/capture-corpus.py &&
       tests/ipp/cups-server.sh stop /tmp/cups

Each file is one HTTP body exactly as cupsd sent it (application/ipp), except
crafted-every-tag.ipp, made here: every value tag, 1setOf values, out-of-band
values, collections nested four deep and document data, which no CUPS answer
holds all of. The requests are built here with the standard library only. A
maintainer's tool: the tests only read the files it wrote.
"""
import http.client
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def attr(tag, name, value):
    data = value if isinstance(value, bytes) else value.encode()
    return struct.pack(">BH", tag, len(name)) + name.encode() + struct.pack(">H", len(data)) + data


def request(op, uri, requested=(), extra=b"", printer_group=b"", version=(2, 0), rid=1):
    body = struct.pack(">BBHI", version[0], version[1], op, rid) + b"\x01"
    body += attr(0x47, "attributes-charset", "utf-8")
    body += attr(0x48, "attributes-natural-language", "en")
    body += attr(0x45, "printer-uri", uri)
    body += attr(0x42, "requesting-user-name", "corpus")
    for i, name in enumerate(requested):
        body += attr(0x44, "requested-attributes" if i == 0 else "", name)
    body += extra
    if printer_group:
        body += b"\x04" + printer_group
    return body + b"\x03"


def crafted():
    """A response with every kind of value (see the docstring)."""
    body = struct.pack(">BBHI", 2, 0, 0x0000, 42) + b"\x01"
    body += attr(0x47, "attributes-charset", "utf-8")
    body += attr(0x48, "attributes-natural-language", "en")
    body += b"\x04"
    body += attr(0x21, "queued-job-count", struct.pack(">i", 3))
    body += attr(0x23, "printer-state", struct.pack(">i", 4))
    body += attr(0x22, "printer-is-accepting-jobs", b"\x01")
    body += attr(0x30, "printer-supply", b"type=toner;maxcapacity=100;level=40;colorantname=black;")
    body += attr(0x30, "", b"type=ink;level=-3;unit=percent;")
    body += attr(0x31, "printer-current-time", bytes([7, 234, 12, 8, 11, 20, 0, 0, 43, 0, 0]))
    body += attr(0x32, "printer-resolution-default", struct.pack(">iiB", 600, 600, 3))
    body += attr(0x33, "copies-supported", struct.pack(">ii", 1, 99))
    body += attr(0x35, "printer-info", struct.pack(">H", 2) + b"de" + struct.pack(">H", 7) + b"Drucker")
    body += attr(0x36, "printer-name", struct.pack(">H", 2) + b"fr" + struct.pack(">H", 3) + b"imp")
    for tag, name, value in ((0x41, "printer-state-message", "Warming up"),
                             (0x42, "marker-names", "Black"), (0x45, "printer-uuid", "urn:uuid:0"), (0x46, "uri-schemes-supported", "ipp"),
                             (0x47, "charset-configured", "utf-8"), (0x48, "natural-language-configured", "en"),
                             (0x49, "document-format-default", "application/pdf"),
                             (0x41, "printer-device-id", "MFG:Test;MDL:Every Tag;SN:ET-42;"),
                             (0x44, "printer-state-reasons", "toner-low-warning")):
        body += attr(tag, name, value)
    body += attr(0x44, "", "media-jam-error")
    body += attr(0x21, "marker-levels", struct.pack(">i", 40))
    body += attr(0x10, "printer-firmware-string-version", b"")
    body += attr(0x12, "sides-default", b"")
    body += attr(0x13, "printer-location", b"")
    inner = attr(0x4A, "", "x-dimension") + attr(0x21, "", struct.pack(">i", 21000))
    inner += attr(0x4A, "", "y-dimension") + attr(0x21, "", struct.pack(">i", 29700))
    level3 = attr(0x34, "", b"") + attr(0x4A, "", "deep") + attr(0x44, "", "end") + attr(0x37, "", b"")
    level2 = attr(0x34, "", b"") + attr(0x4A, "", "next") + level3 + attr(0x37, "", b"")
    body += attr(0x34, "media-col-default", b"")
    body += attr(0x4A, "", "media-size") + attr(0x34, "", b"") + inner + attr(0x37, "", b"")
    body += attr(0x4A, "", "media-source") + attr(0x44, "", "tray-1") + attr(0x44, "", "tray-2")
    body += attr(0x4A, "", "nested") + level2
    body += attr(0x37, "", b"")
    body += attr(0x34, "", b"") + attr(0x37, "", b"")
    body += b"\x02" + attr(0x21, "job-id", struct.pack(">i", 7)) + attr(0x42, "job-name", "report")
    body += b"\x05" + attr(0x44, "requested-attributes", "bogus")
    return body + b"\x03" + b"%!PS-Adobe-3.0\n"


def post(server, path, body):
    host, port = server.split(":")
    connection = http.client.HTTPConnection(host, int(port), timeout=10)
    connection.request("POST", path, body, {"Content-Type": "application/ipp"})
    answer = connection.getresponse()
    data = answer.read()
    if answer.status != 200 or not answer.getheader("Content-Type", "").startswith("application/ipp"):
        sys.exit(f"{path}: HTTP {answer.status} {answer.getheader('Content-Type')}")
    return data


def main():
    server = os.environ.get("CUPS_SERVER")
    if not server:
        sys.exit("CUPS_SERVER is not set (run through cups-server.sh env)")
    base = f"ipp://{server}"
    printers = ["printer-name", "printer-uri-supported", "printer-state", "printer-state-reasons",
                "printer-state-message", "printer-is-accepting-jobs", "printer-location",
                "printer-info", "printer-make-and-model", "printer-type", "device-uri",
                "color-supported"]
    status = ["printer-name", "printer-state", "printer-state-message", "printer-state-reasons",
              "printer-is-accepting-jobs", "printer-location", "marker-names", "marker-levels",
              "marker-types", "marker-colors", "printer-supply", "printer-supply-description",
              "queued-job-count", "copies-supported", "sides-default", "copies-default",
              "print-quality-default", "print-color-mode-default", "mirror-default"]
    captures = {
        "cups-get-printers.ipp": ("/", request(0x4002, base + "/", printers)),
        "cups-get-printers-all.ipp": ("/", request(0x4002, base + "/", ["all"])),
        "get-printer-status-supplies.ipp":
            ("/printers/supplies", request(0x000B, base + "/printers/supplies", status)),
        "get-printer-all-supplies.ipp":
            ("/printers/supplies", request(0x000B, base + "/printers/supplies", ["all"])),
        "get-printer-all-color.ipp":
            ("/printers/color", request(0x000B, base + "/printers/color", ["all"])),
        "get-printer-stopped-v11.ipp":
            ("/printers/stopped", request(0x000B, base + "/printers/stopped",
                                          ["printer-description"], version=(1, 1))),
        "get-printer-not-found.ipp":
            ("/printers/nosuch", request(0x000B, base + "/printers/nosuch", status)),
        "get-jobs-supplies.ipp":
            ("/printers/supplies",
             request(0x000A, base + "/printers/supplies",
                     ["job-id", "job-name", "job-state", "job-state-reasons",
                      "job-originating-user-name", "time-at-creation"],
                     extra=attr(0x44, "which-jobs", "all"))),
        "cups-add-modify-printer.ipp":
            ("/admin/", request(0x4003, base + "/printers/lab",
                                printer_group=attr(0x44, "sides-default", "one-sided"))),
        "set-printer-attributes.ipp":
            ("/printers/lab", request(0x0013, base + "/printers/lab",
                                      printer_group=attr(0x41, "printer-location", "Lab 2"))),
    }
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, "crafted-every-tag.ipp"), "wb") as f:
        f.write(crafted())
    for name, (path, body) in sorted(captures.items()):
        data = post(server, path, body)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
