#!/usr/bin/python3
"""Loopback SQL Server stand-in for tests: speaks TDS 7.2-7.4, stores data in SQLite.

Command line and config format are described in README.md next to this file.
Standard library only; run it with Debian's /usr/bin/python3.
"""

import argparse
import datetime as dt
import decimal
import json
import logging
import os
import re
import select
import signal
import socket
import sqlite3
import struct
import sys
import threading
import time
import uuid

LOG = logging.getLogger("tds_server")

# Packet types.
PKT_SQL_BATCH = 0x01
PKT_RPC = 0x03
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_TRANS_MGR = 0x0E
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12
STATUS_EOM = 0x01

# Tokens.
TOK_RETURNSTATUS = 0x79
TOK_COLMETADATA = 0x81
TOK_ERROR = 0xAA
TOK_INFO = 0xAB
TOK_RETURNVALUE = 0xAC
TOK_LOGINACK = 0xAD
TOK_TABNAME = 0xA4
TOK_COLINFO = 0xA5
TOK_ROW = 0xD1
TOK_ENVCHANGE = 0xE3
TOK_DONE = 0xFD
TOK_DONEPROC = 0xFE
TOK_DONEINPROC = 0xFF

DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

CMD_SELECT = 0xC1
CMD_INSERT = 0xC3
CMD_DELETE = 0xC4
CMD_UPDATE = 0xC5

# SQL_Latin1_General_CP1_CI_AS
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])

TDS72 = 0x72090002
TDS74 = 0x74000004

IDLE_POLL = 0.5          # seconds between checks of the stop flag while idle
IO_TIMEOUT = 60.0        # longest wait for the rest of a packet or for the client to read
SQLITE_BUSY_TIMEOUT = 10.0

RPC_PROC_IDS = {10: "sp_executesql", 11: "sp_prepare", 12: "sp_execute",
                13: "sp_prepexec", 15: "sp_unprepare"}

SERVER_VERSION = "16.00.4000"


class SqlError(Exception):
    def __init__(self, number, cls, text, state=1):
        super().__init__(text)
        self.number, self.cls, self.text, self.state = number, cls, text, state


class Cancelled(Exception):
    """The client sent ATTENTION while a response was being produced."""


class ClientGone(Exception):
    pass


# ---------------------------------------------------------------- encoding helpers

def ucs2(s):
    return s.encode("utf-16-le", "surrogatepass")


def b_varchar(s):
    e = ucs2(s)
    return bytes([len(e) // 2]) + e


def us_varchar(s):
    e = ucs2(s)
    return struct.pack("<H", len(e) // 2) + e


def utf16_units(s):
    n = len(s)
    return n + sum(1 for c in s if ord(c) > 0xFFFF) if n and max(s) > "\uffff" else n


def tok_done(tok, status, count=0, curcmd=0):
    return struct.pack("<BHHQ", tok, status, curcmd, count)


def tok_msg(tok, number, state, cls, text, server, proc="", line=1):
    body = (struct.pack("<iBB", number, state, cls) + us_varchar(text) + b_varchar(server)
            + b_varchar(proc) + struct.pack("<i", line))
    return struct.pack("<BH", tok, len(body)) + body


def tok_envchange(kind, new, old):
    body = bytes([kind]) + new + old
    return struct.pack("<BH", TOK_ENVCHANGE, len(body)) + body


def b_varbyte(b):
    return bytes([len(b)]) + b


# ---------------------------------------------------------------- column types

EPOCH_1900 = dt.datetime(1900, 1, 1)
TICKS_PER_DAY = 300 * 86400


def parse_datetime(v):
    if isinstance(v, str):
        s = v.strip()
        if s.endswith("Z"):
            s = s[:-1]
        if len(s) >= 10 and s[4] == "-" and s[7] == "-":
            return dt.datetime.fromisoformat(s.replace("T", " ", 1))
    raise ValueError("not a datetime: %r" % (v,))


def to_decimal(v, prec, scale):
    if isinstance(v, float):
        d = decimal.Decimal(repr(v))
    elif isinstance(v, (int, str)):
        d = decimal.Decimal(v.strip() if isinstance(v, str) else v)
    else:
        raise ValueError("not a number")
    if not d.is_finite():
        raise ValueError("not finite")
    n = int(d.scaleb(scale).to_integral_value(decimal.ROUND_HALF_UP))
    if abs(n) >= 10 ** prec:
        raise ValueError("does not fit")
    return n


def decimal_bytes(prec):
    return 5 if prec <= 9 else 9 if prec <= 19 else 13 if prec <= 28 else 17


INT_SIZES = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}
INT_RANGES = {"tinyint": (0, 255), "smallint": (-2 ** 15, 2 ** 15 - 1),
              "int": (-2 ** 31, 2 ** 31 - 1), "bigint": (-2 ** 63, 2 ** 63 - 1)}


class Column:
    """A result column: kind is one of tinyint smallint int bigint bit float decimal
    nvarchar nchar datetime varbinary; size None means (max) for nvarchar/varbinary."""

    def __init__(self, name, kind, size=None, prec=18, scale=0):
        self.name, self.kind, self.size, self.prec, self.scale = name, kind, size, prec, scale

    def type_info(self):
        k = self.kind
        if k in INT_SIZES:
            return bytes([0x26, INT_SIZES[k]])
        if k == "bit":
            return b"\x68\x01"
        if k == "float":
            return b"\x6d\x08"
        if k == "decimal":
            return bytes([0x6A, decimal_bytes(self.prec), self.prec, self.scale])
        if k == "nvarchar":
            return b"\xe7" + struct.pack("<H", 0xFFFF if self.size is None else self.size * 2) + COLLATION
        if k == "nchar":
            return b"\xef" + struct.pack("<H", self.size * 2) + COLLATION
        if k == "datetime":
            return b"\x6f\x08"
        if k == "varbinary":
            return b"\xa5" + struct.pack("<H", 0xFFFF if self.size is None else self.size)
        raise AssertionError(k)

    def metadata(self):
        # user type 0, flags: nullable + updatable unknown
        return struct.pack("<IH", 0, 0x0009) + self.type_info() + b_varchar(self.name)

    def encoder(self):
        k = self.kind
        if k in INT_SIZES:
            fmt = struct.Struct("<BB" if k == "tinyint" else "<B" + {2: "h", 4: "i", 8: "q"}[INT_SIZES[k]])
            n = INT_SIZES[k]
            return lambda v: b"\x00" if v is None else fmt.pack(n, int(v))
        if k == "bit":
            return lambda v: b"\x00" if v is None else (b"\x01\x01" if v else b"\x01\x00")
        if k == "float":
            fmt = struct.Struct("<Bd")
            return lambda v: b"\x00" if v is None else fmt.pack(8, float(v))
        if k == "decimal":
            prec, scale, nb = self.prec, self.scale, decimal_bytes(self.prec)

            def enc_dec(v):
                if v is None:
                    return b"\x00"
                n = to_decimal(v, prec, scale)
                return bytes([nb, 1 if n >= 0 else 0]) + abs(n).to_bytes(nb - 1, "little")
            return enc_dec
        if k in ("nvarchar", "nchar", "varbinary"):
            plp = self.size is None
            pad = self.size if k == "nchar" else None

            def enc_var(v):
                if v is None:
                    return b"\xff" * 8 if plp else b"\xff\xff"
                if k == "varbinary":
                    e = bytes(v)
                else:
                    s = v if isinstance(v, str) else str(v)
                    if pad is not None and len(s) < pad:
                        s = s.ljust(pad)
                    e = ucs2(s)
                if plp:
                    if not e:
                        return b"\x00" * 12
                    return struct.pack("<QI", len(e), len(e)) + e + b"\x00\x00\x00\x00"
                return struct.pack("<H", len(e)) + e
            return enc_var
        if k == "datetime":
            fmt = struct.Struct("<BiI")

            def enc_dt(v):
                if v is None:
                    return b"\x00"
                d = v if isinstance(v, dt.datetime) else parse_datetime(v)
                delta = d.replace(tzinfo=None) - EPOCH_1900
                days, secs = delta.days, delta.seconds
                ticks = secs * 300 + (delta.microseconds * 300 + 500000) // 1000000
                if ticks >= TICKS_PER_DAY:
                    days, ticks = days + 1, ticks - TICKS_PER_DAY
                return fmt.pack(8, days, ticks)
            return enc_dt
        raise AssertionError(k)


DECL_RE = re.compile(r"^\s*([A-Za-z_ ]+?)\s*(?:\(\s*(\w+)\s*(?:,\s*(\d+)\s*)?\))?\s*$")


def parse_decl(decl):
    """Maps a SQLite declared type to (category, size, prec, scale)."""
    if not decl:
        return None, None, 18, 0
    m = DECL_RE.match(decl)
    if not m:
        return None, None, 18, 0
    name = m.group(1).lower().strip()
    a, b = m.group(2), m.group(3)
    if name in ("bit", "bool", "boolean"):
        return "bit", None, 0, 0
    if name in INT_SIZES or name == "integer" or "int" in name:
        return ("bigint" if "big" in name else "smallint" if "small" in name
                else "tinyint" if "tiny" in name else "int"), None, 0, 0
    if name in ("decimal", "numeric", "dec"):
        prec = int(a) if a and a.isdigit() else 18
        scale = int(b) if b else 0
        prec = max(1, min(prec, 38))
        return "decimal", None, prec, min(scale, prec)
    if name in ("money", "smallmoney"):
        return "decimal", None, 19, 4
    if name in ("float", "real", "double", "double precision"):
        return "float", None, 0, 0
    if name in ("time",):
        return "text", None, 0, 0
    if "date" in name or "time" in name:
        return "datetime", None, 0, 0
    if "char" in name or "text" in name or "clob" in name or name in ("sysname", "uniqueidentifier", "xml"):
        if "text" in name or "clob" in name or name == "xml" or (a and a.lower() == "max"):
            return "text", -1, 0, 0
        if name == "sysname":
            return "text", 128, 0, 0
        if a and a.isdigit():
            return "text", int(a), 0, 0
        return "text", None, 0, 0
    if "blob" in name or "binary" in name or name == "image":
        if a and a.isdigit() and int(a) <= 8000:
            return "binary", int(a), 0, 0
        return "binary", -1, 0, 0
    return None, None, 18, 0


DATETIME_TEXT_RE = re.compile(r"^\d{4}-\d{2}-\d{2}[ T]\d{2}:\d{2}:\d{2}(\.\d{1,7})?$")


def text_column(name, values, declared_size=None):
    longest = 0
    for v in values:
        if v is None:
            continue
        s = v if isinstance(v, str) else str(v)
        if len(s) > longest // 2 or len(s) > longest:
            longest = max(longest, utf16_units(s))
    if declared_size == -1 or longest > 4000:
        return Column(name, "nvarchar", None)
    if declared_size and declared_size <= 4000 and longest <= declared_size:
        return Column(name, "nvarchar", declared_size)
    return Column(name, "nvarchar", 4000)


def infer_column(name, decl, values):
    """Picks the TDS type of a result column from the declared type and the values;
    a column whose values do not fit its declared type becomes nvarchar."""
    cat, size, prec, scale = parse_decl(decl)
    types = {type(v) for v in values if v is not None}
    if cat in INT_SIZES and types <= {int}:
        lo, hi = INT_RANGES[cat]
        if all(lo <= v <= hi for v in values if v is not None):
            return Column(name, cat)
        cat = None
    if cat == "bit" and types <= {int} and all(v in (0, 1) for v in values if v is not None):
        return Column(name, "bit")
    if cat == "float" and types <= {int, float}:
        return Column(name, "float")
    if cat == "decimal" and types <= {int, float, str}:
        try:
            for v in values:
                if v is not None:
                    to_decimal(v, prec, scale)
            return Column(name, "decimal", prec=prec, scale=scale)
        except (ValueError, decimal.InvalidOperation):
            pass
    if cat == "datetime" and types <= {str}:
        try:
            for v in values:
                if v is not None:
                    parse_datetime(v)
            return Column(name, "datetime")
        except ValueError:
            pass
    if cat == "text" and types <= {str, int, float}:
        return text_column(name, values, size)
    if cat == "binary" and types <= {bytes}:
        return Column(name, "varbinary", None if size == -1 else size)
    # decided by the values alone
    if types <= {int}:
        if all(-2 ** 31 <= v < 2 ** 31 for v in values if v is not None):
            return Column(name, "int")
        if all(-2 ** 63 <= v < 2 ** 63 for v in values if v is not None):
            return Column(name, "bigint")
    elif types <= {int, float}:
        return Column(name, "float")
    elif types <= {str} and types and cat is None and all(
            DATETIME_TEXT_RE.match(v) for v in values if v is not None):
        # an untyped expression such as GETDATE() that yields a timestamp
        return Column(name, "datetime")
    elif types <= {bytes}:
        longest = max((len(v) for v in values if v is not None), default=0)
        return Column(name, "varbinary", None if longest > 8000 else 8000)
    return text_column(name, values)


# ---------------------------------------------------------------- request parsing

class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def eof(self):
        return self.pos >= len(self.data)

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError("truncated message")
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def unpack(self, fmt):
        s = struct.calcsize(fmt)
        if self.pos + s > len(self.data):
            raise ValueError("truncated message")
        v = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += s
        return v[0] if len(v) == 1 else v

    def u8(self):
        return self.unpack("<B")

    def u16(self):
        return self.unpack("<H")

    def u32(self):
        return self.unpack("<I")

    def b_varchar(self):
        return self.take(self.u8() * 2).decode("utf-16-le", "surrogatepass")

    def skip_all_headers(self):
        total = struct.unpack_from("<I", self.data, self.pos)[0]
        if 4 <= total <= len(self.data) - self.pos:
            self.pos += total

    def plp(self):
        total = self.unpack("<Q")
        if total == 0xFFFFFFFFFFFFFFFF:
            return None
        parts = []
        while True:
            n = self.u32()
            if n == 0:
                return b"".join(parts)
            parts.append(self.take(n))


FIXED_TYPES = {0x1F: 0, 0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x3A: 4, 0x3B: 4,
               0x3C: 8, 0x3D: 8, 0x3E: 8, 0x7A: 4, 0x7F: 8}


def decode_fixed(typ, b):
    if typ == 0x1F:
        return None
    if typ in (0x30, 0x32):
        return b[0]
    if typ == 0x34:
        return struct.unpack("<h", b)[0]
    if typ == 0x38:
        return struct.unpack("<i", b)[0]
    if typ == 0x7F:
        return struct.unpack("<q", b)[0]
    if typ == 0x3E:
        return struct.unpack("<d", b)[0]
    if typ == 0x3B:
        return struct.unpack("<f", b)[0]
    if typ in (0x3D, 0x6F) and len(b) == 8:
        days, ticks = struct.unpack("<iI", b)
        return EPOCH_1900 + dt.timedelta(days=days, microseconds=round(ticks * 1000000 / 300))
    if typ in (0x3A, 0x6F):
        days, mins = struct.unpack("<HH", b)
        return EPOCH_1900 + dt.timedelta(days=days, minutes=mins)
    if typ in (0x3C, 0x6E) and len(b) == 8:
        hi, lo = struct.unpack("<iI", b)
        return decimal.Decimal((hi << 32) | lo).scaleb(-4)
    if typ in (0x7A, 0x6E):
        return decimal.Decimal(struct.unpack("<i", b)[0]).scaleb(-4)
    raise ValueError("unsupported fixed type 0x%02x" % typ)


def read_value(r):
    """Reads TYPE_INFO and a value of an RPC parameter; returns a Python value."""
    typ = r.u8()
    if typ in FIXED_TYPES:
        return decode_fixed(typ, r.take(FIXED_TYPES[typ]))
    if typ in (0x24, 0x26, 0x68, 0x6D, 0x6E, 0x6F):
        r.u8()
        n = r.u8()
        if n == 0:
            return None
        b = r.take(n)
        if typ == 0x26:
            return int.from_bytes(b, "little", signed=True)
        if typ == 0x68:
            return b[0]
        if typ == 0x6D:
            return struct.unpack("<d" if n == 8 else "<f", b)[0]
        if typ == 0x24:
            return str(uuid.UUID(bytes_le=b)).upper()
        return decode_fixed(typ, b)
    if typ in (0x6A, 0x6C, 0x37, 0x3F):
        r.take(2)       # length and precision
        scale = r.u8()
        n = r.u8()
        if n == 0:
            return None
        b = r.take(n)
        v = decimal.Decimal(int.from_bytes(b[1:], "little")).scaleb(-scale)
        return v if b[0] else -v
    if typ == 0x28:
        n = r.u8()
        return None if n == 0 else dt.date(1, 1, 1) + dt.timedelta(days=int.from_bytes(r.take(3), "little"))
    if typ in (0x29, 0x2A, 0x2B):
        scale = r.u8()
        n = r.u8()
        if n == 0:
            return None
        b = r.take(n)
        tlen = 3 if scale <= 2 else 4 if scale <= 4 else 5
        t = dt.timedelta(microseconds=int.from_bytes(b[:tlen], "little") * 10 ** 6 // 10 ** scale)
        if typ == 0x29:
            return (dt.datetime(2000, 1, 1) + t).time()
        days = int.from_bytes(b[tlen:tlen + 3], "little")
        return dt.datetime(1, 1, 1) + dt.timedelta(days=days) + t
    if typ in (0xA5, 0xA7, 0xAD, 0xAF, 0xE7, 0xEF):
        maxlen = r.u16()
        if typ in (0xA7, 0xAF, 0xE7, 0xEF):
            r.take(5)
        if maxlen == 0xFFFF:
            b = r.plp()
        else:
            n = r.u16()
            b = None if n == 0xFFFF else r.take(n)
        if b is None:
            return None
        if typ in (0xE7, 0xEF):
            return b.decode("utf-16-le", "surrogatepass")
        if typ in (0xA7, 0xAF):
            return b.decode("cp1252", "replace")
        return bytes(b)
    if typ in (0x23, 0x63, 0x22):
        r.u32()
        if typ != 0x22:
            r.take(5)
        n = r.u32()
        if n == 0xFFFFFFFF:
            return None
        b = r.take(n)
        if typ == 0x63:
            return b.decode("utf-16-le", "surrogatepass")
        if typ == 0x23:
            return b.decode("cp1252", "replace")
        return bytes(b)
    raise ValueError("unsupported parameter type 0x%02x" % typ)


def to_sqlite(v):
    if isinstance(v, decimal.Decimal):
        return int(v) if v == v.to_integral_value() else float(v)
    if isinstance(v, dt.datetime):
        s = v.strftime("%Y-%m-%d %H:%M:%S")
        return s + ".%03d" % (v.microsecond // 1000) if v.microsecond else s
    if isinstance(v, (dt.date, dt.time)):
        return v.isoformat()
    if isinstance(v, bool):
        return int(v)
    return v


# ---------------------------------------------------------------- T-SQL text handling

TOKEN_RE = re.compile(r"""
   (?P<ws>\s+)
 | (?P<comment>--[^\n]*|/\*.*?(?:\*/|\Z))
 | (?P<str>[Nn]?'(?:[^']|'')*'?)
 | (?P<ident>\[(?:[^\]]|\]\])*\]?|"(?:[^"]|"")*"?)
 | (?P<var>@@?[\w#$]+)
 | (?P<num>(?:\d+(?:\.\d*)?|\.\d+)(?:[eE][+-]?\d+)?)
 | (?P<word>[A-Za-z_#][\w$#]*)
 | (?P<op>.)
""", re.S | re.X)

LOCAL_NOW = "strftime('%Y-%m-%d %H:%M:%f','now','localtime')"
UTC_NOW = "strftime('%Y-%m-%d %H:%M:%f','now')"
LENGTH_TYPES = {"varchar", "nvarchar", "varbinary", "char", "nchar", "binary"}

STATEMENT_STARTERS = {"select", "insert", "update", "delete", "create", "drop", "alter", "exec",
                      "execute", "use", "set", "begin", "commit", "rollback", "declare", "print",
                      "with", "truncate", "if", "save", "merge"}
CONNECTORS = {"union", "all", "except", "intersect", "as", "then", "else", "and", "or", "not",
              "exists", "in", "on", "for", "of", "instead", "after", "before", "distinct", "from",
              "where", "by", "into", "values", "is", "like", "between", "when", "case", "select"}


def tokenize(text):
    toks = []
    for m in TOKEN_RE.finditer(text):
        kind = m.lastgroup
        val = m.group()
        if kind == "comment":
            kind, val = "ws", " "
        toks.append((kind, val))
    return toks


def split_statements(text):
    """Splits a batch into statements: at ';', at GO lines, and at a line that starts a new
    statement with a keyword (T-SQL needs no semicolons between statements)."""
    stmts, cur = [], []
    depth = 0
    line_start = True
    words = []      # lower-case words of the current statement at depth 0
    prev = None     # previous significant token

    def flush():
        nonlocal cur, words, prev
        if any(k != "ws" for k, _ in cur):
            while cur and cur[-1][0] == "ws":
                cur.pop()
            while cur and cur[0][0] == "ws":
                cur.pop(0)
            stmts.append(cur)
        cur, words, prev = [], [], None

    for kind, val in tokenize(text):
        if kind == "ws":
            cur.append((kind, val))
            if "\n" in val:
                line_start = True
            continue
        low = val.lower()
        if kind == "op" and val == ";" and depth == 0:
            flush()
            line_start = False
            continue
        if kind == "word" and line_start and depth == 0 and words:
            split = False
            if low == "go":
                flush()
                line_start = False
                continue
            if low in STATEMENT_STARTERS and prev is not None:
                pk, pv = prev
                if pk in ("word", "num", "str", "ident", "var") or (pk == "op" and pv == ")"):
                    split = not (pk == "word" and pv.lower() in CONNECTORS)
            if split and low in ("select", "with") and words[0] in ("insert", "create", "with", "alter") \
                    and "select" not in words and "values" not in words:
                split = False
            if split and low == "set" and words[0] == "update" and "set" not in words:
                split = False
            if split and words[0] == "create" and "trigger" in words:
                split = False
            if split:
                flush()
        elif kind == "word" and line_start and depth == 0 and not words and low == "go":
            line_start = False
            continue
        line_start = False
        if kind == "op":
            if val == "(":
                depth += 1
            elif val == ")":
                depth = max(0, depth - 1)
        if kind == "word" and depth == 0:
            words.append(low)
        cur.append((kind, val))
        prev = (kind, val)
    flush()
    return stmts


SELECT_TAIL_WORDS = {"where", "order", "group", "having", "limit", "option", "for"}


def select_source(s):
    """For 'SELECT items FROM one_table [alias] [WHERE ...]': (table, [(base column or None,
    label) or '*', ...]); None for anything else (joins, subqueries, unions, no FROM)."""
    if not s or s[0][1].lower() != "select":
        return None
    depth, items, cur, from_at = 0, [], [], None
    i = 1
    if i < len(s) and s[i][1].lower() in ("distinct", "all"):
        i += 1
    for j in range(i, len(s)):
        k, v = s[j]
        low = v.lower()
        if v == "(":
            depth += 1
        elif v == ")":
            depth -= 1
        if depth == 0 and k == "word" and low in ("union", "except", "intersect", "join", "into"):
            return None
        if depth == 0 and k == "word" and low == "from" and from_at is None:
            from_at = j
            break
        if depth == 0 and v == ",":
            items.append(cur)
            cur = []
        else:
            cur.append((k, v))
    if from_at is None:
        return None
    items.append(cur)
    # FROM part: [db.][owner.]table [[AS] alias], then only WHERE/ORDER/... clauses
    rest = s[from_at + 1:]
    parts, j = [], 0
    while j < len(rest) and rest[j][0] in ("word", "ident"):
        parts.append(unquote_ident(rest[j][1]))
        j += 1
        if j < len(rest) and rest[j][1] == ".":
            j += 1
            continue
        break
    if not parts:
        return None
    if j < len(rest) and rest[j][1].lower() == "as":
        j += 1
    if j < len(rest) and rest[j][0] in ("word", "ident") and rest[j][1].lower() not in SELECT_TAIL_WORDS:
        j += 1
    if j < len(rest) and not (rest[j][0] == "word" and rest[j][1].lower() in SELECT_TAIL_WORDS):
        return None
    result = []
    for item in items:
        toks = [(k, v) for k, v in item]
        if not toks:
            return None
        if toks[-1][1] == "*" and all(v == "." or k in ("word", "ident") for k, v in toks[:-1]):
            result.append("*")
            continue
        label = None
        if len(toks) >= 2 and toks[-1][0] in ("word", "ident", "str") and \
                (toks[-2][1].lower() == "as" or toks[-2][0] in ("word", "ident")):
            label = unquote_str(toks[-1][1]) if toks[-1][0] == "str" else unquote_ident(toks[-1][1])
            toks = toks[:-2] if toks[-2][1].lower() == "as" else toks[:-1]
        names_only = all(v == "." or k in ("word", "ident") for k, v in toks) and toks and toks[-1][1] != "."
        base = unquote_ident(toks[-1][1]) if names_only else None
        result.append((base, label or base))
    return parts[-1], result


def limit_dml(out, limit):
    """Translated 'UPDATE t SET ... [WHERE c]' or 'DELETE [FROM] t [WHERE c]' (tokens) limited
    to `limit` rows, as SQL Server's TOP (n) limits them: the first rows SQLite finds."""
    sig = [j for j, t in enumerate(out) if t[0] != "ws"]
    verb = out[sig[0]][1].lower()
    k = 2 if verb == "delete" and len(sig) > 2 and out[sig[1]][1].lower() == "from" else 1
    if k >= len(sig):
        raise SqlError(102, 15, "Incorrect syntax near 'TOP'.")
    table = out[sig[k]][1]
    depth, where = 0, None
    for j in sig[k + 1:]:
        v = out[j][1]
        if v == "(":
            depth += 1
        elif v == ")":
            depth -= 1
        elif depth == 0 and out[j][0] == "word" and v.lower() == "where":
            where = j
            break
    head = "".join(v for _, v in (out[:where] if where is not None else out)).rstrip()
    if verb == "delete":
        head = "DELETE FROM " + table
    cond = "".join(v for _, v in out[where + 1:]).strip() if where is not None else ""
    chosen = "SELECT rowid FROM %s%s LIMIT %s" % (table, " WHERE " + cond if cond else "", limit)
    return "%s WHERE rowid IN (%s)" % (head, chosen)


def unquote_ident(v):
    if v.startswith("[") and v.endswith("]"):
        return v[1:-1].replace("]]", "]")
    if v.startswith('"') and v.endswith('"'):
        return v[1:-1].replace('""', '"')
    return v


def unquote_str(v):
    if v[:1] in "Nn":
        v = v[1:]
    return v[1:-1].replace("''", "'")


def sig(stmt):
    return [(k, v) for k, v in stmt if k != "ws"]


def normalize_name(name):
    """'[dbo].[x]', 'dbo.x', 'x' -> 'x' (lower case) for lookups."""
    parts = [unquote_ident(p.strip()) for p in re.findall(r'\[(?:[^\]]|\]\])*\]|"[^"]*"|[^.]+', name or "")]
    if len(parts) > 1:
        parts = parts[-1:]
    return parts[0].lower() if parts else ""


def like_to_regex(pattern):
    out, i = [], 0
    while i < len(pattern):
        c = pattern[i]
        if c == "\\" and i + 1 < len(pattern):
            out.append(re.escape(pattern[i + 1]))
            i += 2
            continue
        if c == "[":
            j = pattern.find("]", i + 1)
            if j > i:
                out.append("[" + pattern[i + 1:j].replace("\\", "\\\\") + "]")
                i = j + 1
                continue
        out.append(".*" if c == "%" else "." if c == "_" else re.escape(c))
        i += 1
    return re.compile("^" + "".join(out) + "$", re.I | re.S)


def like_match(pattern, value):
    if pattern is None or pattern == "":
        return True
    return bool(like_to_regex(pattern).match(value))


# ---------------------------------------------------------------- SQLite error mapping

def map_sqlite_error(e, sql):
    msg = str(e)
    m = re.match(r'near "(.*)": syntax error', msg, re.S)
    if m:
        return SqlError(102, 15, "Incorrect syntax near '%s'." % m.group(1))
    if "incomplete input" in msg:
        words = re.findall(r"[\w@#$]+|\S", sql)
        return SqlError(102, 15, "Incorrect syntax near '%s'." % (words[-1] if words else ""))
    m = re.match(r"no such table: (?:main\.|temp\.)?(.+)", msg)
    if m:
        return SqlError(208, 16, "Invalid object name '%s'." % m.group(1))
    m = re.match(r"no such column: (.+)", msg)
    if m:
        return SqlError(207, 16, "Invalid column name '%s'." % m.group(1).split(".")[-1])
    m = re.match(r"(?:UNIQUE|PRIMARY KEY) constraint failed: (\w+)\.", msg)
    if m:
        return SqlError(2627, 14, "Violation of PRIMARY KEY constraint 'PK_%s'. Cannot insert duplicate "
                        "key in object 'dbo.%s'." % (m.group(1), m.group(1)))
    m = re.match(r"NOT NULL constraint failed: (\w+)\.(\w+)", msg)
    if m:
        return SqlError(515, 16, "Cannot insert the value NULL into column '%s', table 'dbo.%s'; column "
                        "does not allow nulls. INSERT fails." % (m.group(2), m.group(1)))
    m = re.match(r"(?:table|view|index) (\S+) already exists", msg)
    if m:
        return SqlError(2714, 16, "There is already an object named '%s' in the database." % m.group(1))
    m = re.match(r"no such function: (\w+)", msg)
    if m:
        return SqlError(195, 15, "'%s' is not a recognized built-in function name." % m.group(1))
    if "database is locked" in msg or "database table is locked" in msg:
        return SqlError(1222, 16, "Lock request time out period exceeded.")
    if isinstance(e, sqlite3.IntegrityError):
        return SqlError(547, 16, "The statement conflicted with a constraint: %s" % msg)
    return SqlError(50000, 16, "SQLite error: %s" % msg)


# ---------------------------------------------------------------- configuration

# SQL Server compares text padded with blanks under every collation: 'a' = 'a ' is true. BIN2
# compares code points; the case-insensitive default (the "case_insensitive" switch puts it on
# every text column a CREATE TABLE declares) folds case as well.
def _compare(fold):
    def compare(a, b):
        a, b = a.rstrip(" "), b.rstrip(" ")
        if fold:
            a, b = a.casefold(), b.casefold()
        return (a > b) - (a < b)
    return compare


CI_COLLATION = "SQL_Latin1_General_CP1_CI_AS"
COLLATIONS = {"Latin1_General_BIN2": _compare(False), CI_COLLATION: _compare(True)}
TEXT_COLUMN = re.compile(r"\b(?:n?(?:var)?char|n?text)\b(?:\s*\(\s*\w+\s*\))?", re.I)


class Config:
    def __init__(self, path, default_db_path):
        self.path = path
        self.default_db_path = default_db_path

    def load(self):
        """Re-read on every use, so a test can change it between two requests."""
        if not self.path:
            return {}
        with open(self.path, "r", encoding="utf-8") as f:
            return json.load(f)

    def default_database(self, cfg):
        return cfg.get("default_database", "master")

    def databases(self, cfg):
        dbs = {k.lower(): (k, v) for k, v in cfg.get("databases", {}).items()}
        name = self.default_database(cfg)
        dbs[name.lower()] = (name, self.default_db_path)
        return dbs


# ---------------------------------------------------------------- result building

def sysname(name):
    return Column(name, "nvarchar", 128)


SP_COLUMNS_COLS = [
    sysname("TABLE_QUALIFIER"), sysname("TABLE_OWNER"), sysname("TABLE_NAME"), sysname("COLUMN_NAME"),
    Column("DATA_TYPE", "smallint"), sysname("TYPE_NAME"), Column("PRECISION", "int"),
    Column("LENGTH", "int"), Column("SCALE", "smallint"), Column("RADIX", "smallint"),
    Column("NULLABLE", "smallint"), Column("REMARKS", "nvarchar", 254),
    Column("COLUMN_DEF", "nvarchar", 4000), Column("SQL_DATA_TYPE", "smallint"),
    Column("SQL_DATETIME_SUB", "smallint"), Column("CHAR_OCTET_LENGTH", "int"),
    Column("ORDINAL_POSITION", "int"), Column("IS_NULLABLE", "nvarchar", 254),
    Column("SS_DATA_TYPE", "tinyint")]


def odbc_type_of(decl):
    """(type name, DATA_TYPE, precision, length, scale, radix, SQL_DATA_TYPE, sub, ss type)
    of a SQLite column as this server reports it."""
    cat, size, prec, scale = parse_decl(decl)
    if cat in ("int", "bigint", "smallint", "tinyint"):
        return {"int": ("int", 4, 10, 4, 0, 10, 4, None, 56),
                "bigint": ("bigint", -5, 19, 8, 0, 10, -5, None, 127),
                "smallint": ("smallint", 5, 5, 2, 0, 10, 5, None, 52),
                "tinyint": ("tinyint", -6, 3, 1, 0, 10, -6, None, 48)}[cat]
    if cat == "bit":
        return ("bit", -7, 1, 1, None, None, -7, None, 50)
    if cat == "float":
        return ("float", 6, 15, 8, None, 2, 6, None, 109)
    if cat == "decimal":
        return ("decimal", 3, prec, prec + 2, scale, 10, 3, None, 106)
    if cat == "datetime":
        return ("datetime", 11, 23, 16, 3, None, 9, 3, 111)
    if cat == "binary":
        if size == -1:
            return ("varbinary", -3, 0, 0, None, None, -3, None, 37)
        return ("varbinary", -3, size or 8000, size or 8000, None, None, -3, None, 37)
    if cat == "text" and size == -1:
        return ("nvarchar", -9, 0, 0, None, None, -9, None, 39)
    n = size if size and size <= 4000 else 4000
    return ("nvarchar", -9, n, n * 2, None, None, -9, None, 39)


# ---------------------------------------------------------------- sessions

class Session:
    def __init__(self, server, sock, spid):
        self.server, self.sock, self.spid = server, sock, spid
        self.packet_size = 4096
        self.tds_version = TDS74
        self.user = None
        self.db = None
        self.db_name = None
        self.trancount = 0
        self.tran_id = 0
        self.implicit = False
        self.nocount = False
        self.browse = False
        self.row_limit = 0
        self.rowcount = 0
        self.prepared = {}
        self.next_handle = 1
        self.pending_attention = False

    # ------------------------------------------------------------ socket I/O
    def recv_exact(self, n, idle):
        buf = bytearray()
        waited = 0.0
        while len(buf) < n:
            try:
                chunk = self.sock.recv(n - len(buf))
            except socket.timeout:
                if self.server.stopping.is_set():
                    raise ClientGone("server stopping")
                waited += IDLE_POLL
                if not (idle and not buf) and waited > IO_TIMEOUT:
                    raise ClientGone("timed out waiting for the client")
                continue
            except OSError as e:
                raise ClientGone(str(e))
            if not chunk:
                raise ClientGone("connection closed")
            buf += chunk
            waited = 0.0
        return bytes(buf)

    def read_message(self):
        parts = []
        first = True
        while True:
            hdr = self.recv_exact(8, idle=first)
            first = False
            typ, status, length = hdr[0], hdr[1], struct.unpack(">H", hdr[2:4])[0]
            if length < 8:
                raise ClientGone("bad packet length")
            parts.append(self.recv_exact(length - 8, idle=False))
            if status & STATUS_EOM:
                return typ, b"".join(parts)

    def send_packet(self, payload, eom, packet_id, ptype=PKT_REPLY):
        hdr = struct.pack(">BBHHBB", ptype, STATUS_EOM if eom else 0, len(payload) + 8, self.spid & 0xFFFF,
                          packet_id & 0xFF, 0)
        self.sock.settimeout(IO_TIMEOUT)
        try:
            self.sock.sendall(hdr + bytes(payload))
        except OSError as e:
            raise ClientGone(str(e))
        finally:
            self.sock.settimeout(IDLE_POLL)

    def poll_attention(self):
        """Between two packets of a response: has the client sent ATTENTION?"""
        if self.pending_attention:
            return True
        try:
            readable, _, _ = select.select([self.sock], [], [], 0)
        except (OSError, ValueError) as e:
            raise ClientGone(str(e))
        if not readable:
            return False
        typ, _ = self.read_message()
        if typ == PKT_ATTENTION:
            LOG.info("spid %d: attention received while sending", self.spid)
            self.pending_attention = True
            return True
        raise ClientGone("unexpected packet type 0x%02x during a response" % typ)

    # ------------------------------------------------------------ main loop
    def run(self):
        self.sock.settimeout(IDLE_POLL)
        try:
            typ, payload = self.read_message()
            if typ == PKT_PRELOGIN:
                self.handle_prelogin(payload)
                typ, payload = self.read_message()
            if typ != PKT_LOGIN7:
                LOG.warning("spid %d: expected LOGIN7, got 0x%02x", self.spid, typ)
                return
            if not self.handle_login(payload):
                return
            while True:
                typ, payload = self.read_message()
                self.handle_request(typ, payload)
        except ClientGone as e:
            LOG.info("spid %d: connection ends: %s", self.spid, e)
        except Exception:
            LOG.exception("spid %d: internal error", self.spid)
        finally:
            try:
                if self.db is not None:
                    if self.db.in_transaction:
                        self.db.rollback()
                    self.db.close()
            except sqlite3.Error:
                pass
            try:
                self.sock.close()
            except OSError:
                pass

    def handle_request(self, typ, payload):
        out = Output(self)
        if typ == PKT_ATTENTION:
            # The response it cancels is already complete.
            LOG.info("spid %d: attention after a complete response", self.spid)
            self.pending_attention = False
            out.tok(tok_done(TOK_DONE, DONE_ATTN))
            out.finish()
            return
        try:
            try:
                if typ == PKT_SQL_BATCH:
                    r = Reader(payload)
                    r.skip_all_headers()
                    text = r.data[r.pos:].decode("utf-16-le", "surrogatepass")
                    LOG.info("spid %d: batch: %s", self.spid,
                             text if len(text) <= 2000 else text[:2000] + "...(%d chars)" % len(text))
                    self.run_batch(out, text, None, TOK_DONE, final=True)
                elif typ == PKT_RPC:
                    self.handle_rpc(out, payload)
                elif typ == PKT_TRANS_MGR:
                    self.handle_trans_mgr(out, payload)
                else:
                    raise SqlError(50000, 16, "Unsupported request type 0x%02x." % typ)
            except (Cancelled, ClientGone):
                raise
            except Exception as e:
                if isinstance(e, sqlite3.Error):
                    e = map_sqlite_error(e, "")
                if isinstance(e, SqlError):
                    LOG.info("spid %d: error %d: %s", self.spid, e.number, e.text)
                else:
                    # malformed request or a fault in this server: report it, keep the connection
                    LOG.exception("spid %d: request failed", self.spid)
                    e = SqlError(50000, 16, "TDS test server could not handle the request: %s: %s"
                                 % (type(e).__name__, e))
                out.tok(self.error_token(e))
                out.tok(tok_done(TOK_DONEPROC if typ == PKT_RPC else TOK_DONE, DONE_ERROR))
        except Cancelled:
            pass
        if self.pending_attention:
            self.pending_attention = False
            out.cancelled = False
            out.tok(tok_done(TOK_DONE, DONE_ATTN))
        out.finish()

    def error_token(self, e):
        return tok_msg(TOK_ERROR, e.number, e.state, e.cls, e.text, self.server.server_name())

    def info_token(self, number, text, cls=0):
        return tok_msg(TOK_INFO, number, 1, cls, text, self.server.server_name())

    # ------------------------------------------------------------ login
    def handle_prelogin(self, payload):
        # version, encryption (not supported), instance, thread id, MARS off
        opts = [(0x00, bytes([16, 0, 0x0F, 0xA0, 0, 0])), (0x01, b"\x02"), (0x02, b"\x00"),
                (0x03, b""), (0x04, b"\x00")]
        off = 5 * len(opts) + 1
        head, body = bytearray(), bytearray()
        for tok, data in opts:
            head += struct.pack(">BHH", tok, off + len(body), len(data))
            body += data
        head += b"\xff"
        out = Output(self)
        out.tok(bytes(head + body))
        out.finish()

    def handle_login(self, p):
        if len(p) < 94:
            raise ClientGone("short LOGIN7")
        _length, version, packet_size = struct.unpack_from("<III", p, 0)

        def field(pos):
            ib, cch = struct.unpack_from("<HH", p, pos)
            return p[ib:ib + cch * 2]

        user = field(40).decode("utf-16-le", "replace")
        pw_raw = field(44)
        # each password byte was nibble-swapped, then XORed with 0xA5
        password = bytes((((x << 4) & 0xF0) | (x >> 4)) for x in (b ^ 0xA5 for b in pw_raw))
        password = password.decode("utf-16-le", "replace")
        app = field(48).decode("utf-16-le", "replace")
        database = field(68).decode("utf-16-le", "replace")
        LOG.info("spid %d: login user=%r app=%r database=%r tds=0x%08x packet=%d",
                 self.spid, user, app, database, version, packet_size)
        self.tds_version = min(max(version, TDS72), TDS74) if version >= TDS72 else TDS72
        if 512 <= packet_size <= 32767:
            self.packet_size = packet_size
        cfg = self.server.config.load()
        if cfg.get("packet_size"):
            # lets a test force small reply packets; FreeTDS accepts any size the server announces
            self.packet_size = max(512, min(int(cfg["packet_size"]), 32767))
            LOG.info("spid %d: packet size %d from the config", self.spid, self.packet_size)
        out = Output(self)
        users = cfg.get("users", {})
        if user not in users or users[user] != password:
            out.tok(tok_msg(TOK_ERROR, 18456, 1, 14, "Login failed for user '%s'." % user,
                            self.server.server_name()))
            out.tok(tok_done(TOK_DONE, DONE_ERROR))
            out.finish()
            LOG.info("spid %d: login refused for %r", self.spid, user)
            return False
        self.user = user
        dbs = self.server.config.databases(cfg)
        wanted = database or self.server.config.default_database(cfg)
        if wanted.lower() not in dbs:
            out.tok(tok_msg(TOK_ERROR, 4060, 1, 11, 'Cannot open database "%s" requested by the login. '
                            'The login failed.' % wanted, self.server.server_name()))
            out.tok(tok_msg(TOK_ERROR, 18456, 1, 14, "Login failed for user '%s'." % user,
                            self.server.server_name()))
            out.tok(tok_done(TOK_DONE, DONE_ERROR))
            out.finish()
            LOG.info("spid %d: unknown database %r", self.spid, wanted)
            return False
        name, path = dbs[wanted.lower()]
        self.open_db(name, path)
        out.tok(tok_envchange(1, b_varchar(name), b_varchar("master")))
        out.tok(self.info_token(5701, "Changed database context to '%s'." % name))
        out.tok(tok_envchange(7, b_varbyte(COLLATION), b_varbyte(b"")))
        out.tok(tok_envchange(2, b_varchar("us_english"), b_varchar("")))
        out.tok(self.info_token(5703, "Changed language setting to us_english."))
        prog = b_varchar("Microsoft SQL Server")
        body = b"\x01" + struct.pack(">I", self.tds_version) + prog + bytes([16, 0, 0x0F, 0xA0])
        out.tok(struct.pack("<BH", TOK_LOGINACK, len(body)) + body)
        out.tok(tok_envchange(4, b_varchar(str(self.packet_size)), b_varchar(str(self.packet_size))))
        out.tok(tok_done(TOK_DONE, 0))
        out.finish()
        return True

    def open_db(self, name, path):
        db = sqlite3.connect(path, timeout=SQLITE_BUSY_TIMEOUT, isolation_level=None, check_same_thread=False)
        for collation, compare in COLLATIONS.items():
            db.create_collation(collation, compare)
        # The blocking chain's views live in an attached "sys" schema; DB_NAME and OBJECT_NAME
        # answer from the config's "names" (NULL for an id it does not name, as the server does).
        db.execute("ATTACH DATABASE ':memory:' AS sys")
        db.execute("CREATE TABLE sys.dm_exec_requests (session_id INTEGER, blocking_session_id INTEGER, "
                   "wait_type TEXT, wait_time INTEGER)")
        db.execute("CREATE TABLE sys.dm_exec_sessions (session_id INTEGER, login_name TEXT, host_name TEXT)")
        db.create_function("db_name", 1, lambda i: self.configured_name("databases", i))
        db.create_function("object_name", -1, lambda i, *_db: self.configured_name("objects", i))
        if self.db is not None:
            self.db.close()
        self.db, self.db_name = db, name

    # ------------------------------------------------------------ transactions
    def tran_descriptor(self):
        return struct.pack("<Q", self.tran_id)

    def tx_begin(self, out):
        if self.trancount == 0:
            try:
                self.db.execute("BEGIN")
            except sqlite3.Error as e:
                raise map_sqlite_error(e, "BEGIN")
            self.tran_id += 1
            out.tok(tok_envchange(8, b_varbyte(self.tran_descriptor()), b_varbyte(b"")))
        self.trancount += 1

    def tx_commit(self, out):
        if self.trancount == 0:
            raise SqlError(3902, 16, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.")
        self.trancount -= 1
        if self.trancount == 0:
            try:
                if self.db.in_transaction:
                    self.db.execute("COMMIT")
            except sqlite3.Error as e:
                self.trancount = 1
                raise map_sqlite_error(e, "COMMIT")
            out.tok(tok_envchange(9, b_varbyte(b""), b_varbyte(self.tran_descriptor())))

    def tx_rollback(self, out):
        if self.trancount == 0:
            raise SqlError(3903, 16, "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.")
        self.trancount = 0
        if self.db.in_transaction:
            self.db.execute("ROLLBACK")
        out.tok(tok_envchange(10, b_varbyte(b""), b_varbyte(self.tran_descriptor())))

    def handle_trans_mgr(self, out, payload):
        r = Reader(payload)
        r.skip_all_headers()
        req = r.u16()
        LOG.info("spid %d: transaction manager request %d", self.spid, req)
        if req == 5:        # begin
            self.tx_begin(out)
        elif req in (7, 8):  # commit, rollback
            r.b_varchar()
            flags = r.u8() if not r.eof() else 0
            if req == 7:
                self.tx_commit(out)
            else:
                if self.trancount:
                    self.tx_rollback(out)
            if flags & 0x01:
                self.tx_begin(out)
        else:
            raise SqlError(50000, 16, "Transaction manager request %d is not supported." % req)
        out.tok(tok_done(TOK_DONE, 0))

    # ------------------------------------------------------------ batches
    def run_batch(self, out, text, params, done_tok, final):
        """Runs the statements of text; the last statement's DONE ends the message if final."""
        stmts = split_statements(text)
        if not stmts:
            out.tok(tok_done(done_tok, 0 if final else DONE_MORE))
            return
        for i, st in enumerate(stmts):
            more = (not final) or i < len(stmts) - 1
            self.exec_statement(out, st, params, done_tok, more)

    def done(self, out, tok, more, status=0, count=0, curcmd=0):
        out.tok(tok_done(tok, status | (DONE_MORE if more else 0), count, curcmd))

    def exec_statement(self, out, st, params, done_tok, more):
        s = sig(st)
        first = s[0][1].lower() if s[0][0] == "word" else ""
        words = [v.lower() for k, v in s if k == "word"]
        if first == "set":
            self.exec_set(s)
            return self.done(out, done_tok, more)
        if first == "use":
            self.exec_use(out, s)
            return self.done(out, done_tok, more)
        if first == "begin" and len(words) > 1 and words[1] in ("tran", "transaction"):
            self.tx_begin(out)
            return self.done(out, done_tok, more)
        if first in ("commit", "rollback") and (len(s) == 1 or words[1:2] in (["tran"], ["transaction"], ["work"])
                                                or len(s) <= 3):
            if first == "commit":
                self.tx_commit(out)
            else:
                self.tx_rollback(out)
            return self.done(out, done_tok, more)
        if first == "if" and len(s) >= 5 and s[1][1].lower() == "@@trancount" and s[2][1] == ">" \
                and s[3][1] == "0" and s[4][1].lower() in ("commit", "rollback"):
            if self.trancount > 0:
                (self.tx_commit if s[4][1].lower() == "commit" else self.tx_rollback)(out)
            return self.done(out, done_tok, more)
        if first == "print":
            out.tok(self.info_token(0, str(self.eval_simple(s[1:]))))
            return self.done(out, done_tok, more)
        if first in ("exec", "execute") or (first.startswith("sp_") and s[0][0] == "word"):
            return self.exec_proc_statement(out, s, params, more)
        if first == "go":
            return self.done(out, done_tok, more)
        if first == "waitfor":
            self.exec_waitfor(s)
            return self.done(out, done_tok, more)
        self.exec_sql(out, st, s, params, done_tok, more, first)

    def exec_waitfor(self, s):
        """WAITFOR DELAY 'hh:mm:ss[.fff]': a statement that takes a set time; an attention from
        the client ends it at once (the batch is then cancelled)."""
        m = None
        if len(s) >= 3 and s[1][1].lower() == "delay" and s[2][0] == "str":
            m = re.fullmatch(r"(\d{1,2}):(\d{1,2}):(\d{1,2})(?:\.(\d{1,3}))?", unquote_str(s[2][1]))
        if not m:
            raise SqlError(102, 15, "Incorrect syntax near 'WAITFOR'.")
        h, mi, sec, frac = m.groups()
        seconds = int(h) * 3600 + int(mi) * 60 + int(sec) + (int(frac.ljust(3, "0")) / 1000 if frac else 0)
        LOG.info("spid %d: waiting %.3f s", self.spid, seconds)
        end = time.monotonic() + seconds
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return
            try:
                select.select([self.sock], [], [], min(left, IDLE_POLL))
            except (OSError, ValueError) as e:
                raise ClientGone(str(e))
            if self.poll_attention():
                LOG.info("spid %d: attention during WAITFOR", self.spid)
                raise Cancelled()
            if self.server.stopping.is_set():
                raise ClientGone("server stopping")

    def eval_simple(self, toks):
        if len(toks) == 1 and toks[0][0] == "str":
            return unquote_str(toks[0][1])
        return " ".join(v for _, v in toks)

    def exec_set(self, s):
        words = [v.lower() for k, v in s]
        if len(words) >= 3 and words[1] == "implicit_transactions":
            self.implicit = words[2] == "on"
        elif len(words) >= 3 and words[1] == "nocount":
            self.nocount = words[2] == "on"
        elif len(words) >= 3 and words[1] == "rowcount" and words[2].isdigit():
            self.row_limit = int(words[2])
        elif len(words) >= 3 and words[1] == "no_browsetable":
            self.browse = words[2] == "on"
        # everything else (textsize, ansi options, language, ...) is accepted and ignored

    def exec_use(self, out, s):
        if len(s) < 2:
            raise SqlError(102, 15, "Incorrect syntax near 'use'.")
        name = unquote_ident(s[1][1])
        cfg = self.server.config.load()
        dbs = self.server.config.databases(cfg)
        if name.lower() not in dbs:
            raise SqlError(911, 16, "Database '%s' does not exist. Make sure that the name is entered "
                                    "correctly." % name)
        real, path = dbs[name.lower()]
        if real == self.db_name:
            return
        if self.trancount:
            raise SqlError(50000, 16, "USE is not supported inside a transaction by this server.")
        old = self.db_name
        self.open_db(real, path)
        out.tok(tok_envchange(1, b_varchar(real), b_varchar(old)))
        out.tok(self.info_token(5701, "Changed database context to '%s'." % real))

    def translate(self, st, params):
        """T-SQL statement tokens -> (SQLite text, the same with parameters as NULL, bindings)."""
        out = []        # list of [kind, text]
        probe = []
        binds = {}
        limit = None
        identity = False
        toks = st
        n = len(toks)
        i = 0
        depth = 0

        def next_sig(j):
            while j < n and toks[j][0] == "ws":
                j += 1
            return j

        ddl = bool(toks) and toks[0][1].lower() in ("create", "alter")

        # UPDATE TOP (n) / DELETE TOP (n): SQLite has no such limit; the rows are chosen by
        # rowid once the statement is translated (limit_dml).
        dml_limit = None
        sig = [j for j in range(n) if toks[j][0] != "ws"]
        if len(sig) >= 3 and toks[sig[0]][1].lower() in ("update", "delete") and toks[sig[1]][1].lower() == "top":
            a = sig[2]
            end = None
            if toks[a][0] == "num":
                dml_limit, end = toks[a][1], a
            elif toks[a][1] == "(" and len(sig) >= 5 and toks[sig[3]][0] == "num" and toks[sig[4]][1] == ")":
                dml_limit, end = toks[sig[3]][1], sig[4]
            if dml_limit is not None:
                toks = toks[:sig[1]] + toks[end + 1:]
                n = len(toks)

        def last_two():
            # the word before a '(' that is the last significant output token
            sig_out = [v for k, v in out if k != "ws"][-2:]
            return sig_out[0].lower() if len(sig_out) == 2 and sig_out[1] == "(" else None

        def last_word():
            for k, v in reversed(out):
                if k != "ws":
                    return v.lower() if k == "word" else None
            return None

        while i < n:
            kind, val = toks[i]
            low = val.lower()
            rep, prb = val, None
            if kind == "str":
                if val[:1] in "Nn":
                    rep = val[1:]
            elif kind == "op":
                if val == "(":
                    depth += 1
                elif val == ")":
                    depth -= 1
                elif val == "+":
                    # string concatenation, recognised when a string literal is on either side
                    j = next_sig(i + 1)
                    prev_kinds = [k for k, _v in out if k != "ws"][-1:]
                    if prev_kinds == ["str"] or (j < n and toks[j][0] == "str"):
                        rep = "||"
            elif kind == "word" and val.startswith("#"):
                # a #temp table lives in SQLite's temp schema of this connection
                rep = '"%s"' % val
                if ddl and [v.lower() for k, v in out if k != "ws"] == ["create", "table"]:
                    for t in (out, probe):
                        t[next(x for x in range(len(t)) if t[x][1].lower() == "table")][1] = "temp table"
            elif kind in ("word", "ident") and unquote_ident(val).lower() == "dbo":
                j = next_sig(i + 1)
                if j < n and toks[j] == ("op", "."):
                    # drop "dbo." and a database name in front of it
                    sig_out = [idx for idx, t in enumerate(out) if t[0] != "ws"]
                    if len(sig_out) >= 2 and out[sig_out[-1]][1] == "." and out[sig_out[-2]][0] in ("word", "ident"):
                        del out[sig_out[-2]:]
                        del probe[sig_out[-2]:]
                    i = j + 1
                    continue
            elif kind == "ident" and val.startswith("[") and val.endswith("]"):
                # SQLite reads [..] without the "]]" escape: pass the name double-quoted
                rep = '"%s"' % unquote_ident(val).replace('"', '""')
            elif kind == "var":
                if low.startswith("@@"):
                    rep = {"@@rowcount": str(self.rowcount), "@@trancount": str(self.trancount),
                           "@@spid": str(self.spid), "@@identity": "last_insert_rowid()",
                           "@@error": "0", "@@version": "'Microsoft SQL Server 2022 (Quorvane TDS test server)'",
                           "@@servername": "'%s'" % self.server.server_name(),
                           "@@language": "'us_english'", "@@options": "0",
                           "@@max_precision": "38"}.get(low)
                    if rep is None:
                        raise SqlError(50000, 16, "%s is not supported by this server." % val)
                else:
                    key = low[1:]
                    if params is None or key not in params:
                        raise SqlError(137, 15, 'Must declare the scalar variable "%s".' % val)
                    name = "p_" + re.sub(r"\W", "_", key)
                    binds[name] = params[key]
                    rep, prb = ":" + name, "NULL"
            elif kind == "word":
                j = next_sig(i + 1)
                nxt = toks[j][1] if j < n else None
                if low in ("getdate", "sysdatetime", "getutcdate", "sysutcdatetime") and nxt == "(":
                    k = next_sig(j + 1)
                    if k < n and toks[k][1] == ")":
                        rep = UTC_NOW if "utc" in low else LOCAL_NOW
                        out.append(["word", rep])
                        probe.append(["word", rep])
                        i = k + 1
                        continue
                elif low == "current_timestamp":
                    rep = LOCAL_NOW
                elif low in ("db_name", "user_name", "suser_sname", "suser_name", "host_name", "app_name") \
                        and nxt == "(" and next_sig(j + 1) < n and toks[next_sig(j + 1)][1] == ")":
                    value = {"db_name": self.db_name, "host_name": "localhost", "app_name": ""}.get(low, self.user)
                    rep = "'%s'" % value.replace("'", "''")
                    out.append(["str", rep])
                    probe.append(["str", rep])
                    i = next_sig(j + 1) + 1
                    continue
                elif low in ("system_user", "current_user", "session_user") and nxt != "(":
                    rep = "'%s'" % self.user.replace("'", "''")
                elif low == "scope_identity" and nxt == "(":
                    rep = "last_insert_rowid"
                elif low == "isnull" and nxt == "(":
                    rep = "ifnull"
                elif low == "len" and nxt == "(":
                    rep = "length"
                elif low == "identity" and ddl and nxt == "(":
                    k = j
                    while k < n and toks[k][1] != ")":
                        k += 1
                    identity = True
                    i = k + 1
                    continue
                elif low == "identity" and ddl:
                    identity = True
                    i += 1
                    continue
                elif low == "max" and nxt == ")" and last_two() in LENGTH_TYPES:
                    rep = "2147483647"     # nvarchar(max) and friends: SQLite wants a number
                elif low == "top" and depth == 0 and limit is None and last_word() in ("select", "distinct"):
                    j = next_sig(i + 1)
                    if j < n and toks[j][0] == "num":
                        limit, i = toks[j][1], j + 1
                        continue
                    if j < n and toks[j][1] == "(":
                        k = next_sig(j + 1)
                        m = next_sig(k + 1)
                        if k < n and m < n and toks[k][0] == "num" and toks[m][1] == ")":
                            limit, i = toks[k][1], m + 1
                            continue
            out.append([kind, rep])
            probe.append([kind, rep if prb is None else prb])
            i += 1
        sql = "".join(v for _, v in out)
        prb = "".join(v for _, v in probe)
        if dml_limit is not None:
            sql, prb = limit_dml(out, dml_limit), limit_dml(probe, dml_limit)
        if limit is not None:
            sql += " LIMIT " + limit
            prb += " LIMIT " + limit
        if identity:
            pat = re.compile(r"\b(?:big|small)?int(?:eger)?\s+(?:not\s+null\s+)?primary\s+key", re.I)
            sql = pat.sub("INTEGER PRIMARY KEY AUTOINCREMENT", sql, count=1)
        creates_table = [v.lower() for k, v in st if k != "ws"][:2] == ["create", "table"]
        if creates_table and self.server.config.load().get("case_insensitive"):
            sql = TEXT_COLUMN.sub(r"\g<0> COLLATE " + CI_COLLATION, sql)
        return sql, prb, binds

    def declared_types(self, probe_sql, ncols):
        try:
            self.db.execute("DROP VIEW IF EXISTS temp.__tds_probe")
            self.db.execute("CREATE TEMP VIEW __tds_probe AS " + probe_sql)
            info = self.db.execute("PRAGMA temp.table_info(__tds_probe)").fetchall()
        except sqlite3.Error:
            return None
        finally:
            try:
                self.db.execute("DROP VIEW IF EXISTS temp.__tds_probe")
            except sqlite3.Error:
                pass
        if len(info) != ncols:
            return None
        return [row[2] for row in info]

    def configured_name(self, kind, ident):
        return self.server.config.load().get("names", {}).get(kind, {}).get(str(ident))

    def refresh_sys_views(self):
        """sys.dm_exec_requests and sys.dm_exec_sessions as the config lists them now."""
        cfg = self.server.config.load()
        self.db.execute("DELETE FROM sys.dm_exec_requests")
        self.db.execute("DELETE FROM sys.dm_exec_sessions")
        self.db.executemany("INSERT INTO sys.dm_exec_requests VALUES (?, ?, ?, ?)",
                            [(r.get("session_id"), r.get("blocking_session_id", 0), r.get("wait_type"),
                              r.get("wait_time", 0)) for r in cfg.get("requests", [])])
        self.db.executemany("INSERT INTO sys.dm_exec_sessions VALUES (?, ?, ?)",
                            [(r.get("session_id"), r.get("login_name"), r.get("host_name"))
                             for r in cfg.get("sessions", [])])

    def exec_sql(self, out, st, s, params, done_tok, more, first):
        if any(k == "word" and v.lower() == "sys" for k, v in s):
            self.refresh_sys_views()
        sql, probe, binds = self.translate(st, params)
        if self.implicit and self.trancount == 0 and first not in ("pragma",):
            self.tx_begin(out)
        LOG.debug("spid %d: sqlite: %s %s", self.spid, sql, brief(binds))
        cur = self.db.cursor()
        changes_before = self.db.total_changes
        try:
            cur.execute(sql, binds)
            if cur.description:
                rows = cur.fetchmany(self.row_limit) if self.row_limit else cur.fetchall()
            else:
                rows = None
        except sqlite3.Warning as e:
            raise SqlError(50000, 16, str(e))
        except sqlite3.Error as e:
            raise map_sqlite_error(e, sql)
        if rows is not None:
            names = [d[0] for d in cur.description]
            decls = self.declared_types(probe, len(names)) if first in ("select", "with") else None
            cols = [infer_column(nm, decls[i] if decls else None, [r[i] for r in rows])
                    for i, nm in enumerate(names)]
            browse = None
            if first == "select" and (self.browse or self.server.config.load().get("browse_info")):
                browse = self.browse_info(s, names)
            self.send_result(out, cols, rows, done_tok, more, browse)
            self.rowcount = len(rows)
            return
        words = {v.lower() for k, v in s if k == "word"}
        if first in ("insert", "update", "delete", "merge", "replace") or \
                (first == "with" and words & {"insert", "update", "delete"}):
            self.rowcount = self.db.total_changes - changes_before
            cmd = {"insert": CMD_INSERT, "update": CMD_UPDATE, "delete": CMD_DELETE}.get(first, 0)
            self.done(out, done_tok, more, 0 if self.nocount else DONE_COUNT, self.rowcount, cmd)
        else:
            self.rowcount = 0
            self.done(out, done_tok, more)

    def browse_info(self, s, names):
        """TABNAME + COLINFO tokens for a SELECT from one table, or None. They carry each
        column's base table and column, which FreeTDS reports as SQL_DESC_BASE_TABLE_NAME and
        SQL_DESC_BASE_COLUMN_NAME."""
        source = select_source(s)
        if source is None:
            return None
        table, items = source
        found = [n for n, _t in self.tables() if n.lower() == table.lower()]
        if not found:
            return None
        table = found[0]
        info = self.table_info(table)
        columns = {r[1].lower(): (r[1], bool(r[5])) for r in info}
        entries = []
        for item in items:
            if item == "*":
                entries.extend((r[1], r[1]) for r in info)
            else:
                entries.append(item)
        if len(entries) != len(names):
            return None
        body = bytearray()
        for i, (base, _label) in enumerate(entries, 1):
            col = columns.get(base.lower()) if base else None
            if col is None:
                body += bytes([i, 0, 0x04])
                continue
            real, key = col
            flags = 0x08 if key else 0
            if real != names[i - 1]:
                body += bytes([i, 1, flags | 0x20]) + b_varchar(real)
            else:
                body += bytes([i, 1, flags])
        tab = b"\x01" + us_varchar(table)
        return (struct.pack("<BH", TOK_TABNAME, len(tab)) + tab
                + struct.pack("<BH", TOK_COLINFO, len(body)) + bytes(body))

    def send_result(self, out, cols, rows, done_tok, more, browse=None):
        out.tok(struct.pack("<BH", TOK_COLMETADATA, len(cols)) + b"".join(c.metadata() for c in cols))
        if browse:
            out.tok(browse)
        encs = [c.encoder() for c in cols]
        row_tok = b"\xd1"
        join = b"".join
        for r in rows:
            out.tok(row_tok + join([e(v) for e, v in zip(encs, r)]))
        status = DONE_COUNT if not self.nocount or done_tok != TOK_DONE else 0
        self.done(out, done_tok, more, status, len(rows), CMD_SELECT)

    # ------------------------------------------------------------ procedures
    def exec_proc_statement(self, out, s, params, more):
        """EXEC name args / name args in a batch."""
        i = 1 if s[0][1].lower() in ("exec", "execute") else 0
        name_parts = []
        while i < len(s):
            k, v = s[i]
            if k in ("word", "ident"):
                name_parts.append(unquote_ident(v))
                i += 1
                if i < len(s) and s[i] == ("op", "."):
                    i += 1
                    continue
            break
        if not name_parts:
            raise SqlError(102, 15, "Incorrect syntax near '%s'." % s[0][1])
        name = name_parts[-1]
        args = []
        cur_name = None
        j = i
        while j < len(s):
            k, v = s[j]
            if k == "op" and v == ",":
                j += 1
                continue
            if k == "var" and j + 1 < len(s) and s[j + 1] == ("op", "="):
                cur_name = v[1:].lower()
                j += 2
                continue
            if k == "str":
                val = unquote_str(v)
            elif k == "num":
                val = float(v) if "." in v or "e" in v.lower() else int(v)
            elif k == "op" and v == "-" and j + 1 < len(s) and s[j + 1][0] == "num":
                j += 1
                val = -int(s[j][1])
            elif k == "word" and v.lower() == "null":
                val = None
            elif k == "var" and params is not None and v[1:].lower() in params:
                val = params[v[1:].lower()]
            elif k in ("word", "ident"):
                val = unquote_ident(v)
            else:
                raise SqlError(102, 15, "Incorrect syntax near '%s'." % v)
            args.append((cur_name, val))
            cur_name = None
            j += 1
        self.call_procedure(out, name, args, more)

    def call_procedure(self, out, name, args, more):
        """Runs a procedure: its result sets end with DONEINPROC, then RETURNSTATUS and DONEPROC."""
        proc = name.lower()
        LOG.info("spid %d: procedure %s %s", self.spid, proc, brief(args))
        handler = SYSTEM_PROCS.get(proc)
        if proc in self.server.config.load().get("refused_procedures", []):
            raise SqlError(229, 14, "The EXECUTE permission was denied on the object '%s', database '%s', "
                                    "schema 'sys'." % (proc, self.db_name))
        if handler is None:
            cfg = self.server.config.load()
            procs = {normalize_name(k): k for k in cfg.get("procedures", {})}
            if normalize_name(name) not in procs:
                raise SqlError(2812, 16, "Could not find stored procedure '%s'." % name)
        else:
            names = PROC_PARAMS.get(proc, [])
            named = {}
            for pos, (n, v) in enumerate(args):
                key = n if n else (names[pos].lower() if pos < len(names) else "arg%d" % pos)
                named[key.lower()] = v
            handler(self, out, named)
        out.tok(struct.pack("<Bi", TOK_RETURNSTATUS, 0))
        self.done(out, TOK_DONEPROC, more)

    def proc_result(self, out, cols, rows):
        self.send_result(out, cols, rows, TOK_DONEINPROC, True)

    def tables(self, pattern=None, types=("table", "view")):
        rows = self.db.execute("SELECT name, type FROM sqlite_master WHERE type IN ('table','view') "
                               "AND name NOT LIKE 'sqlite_%' ORDER BY name").fetchall()
        return [(n, t) for n, t in rows if t in types and like_match(pattern, n)]

    def table_info(self, table):
        return self.db.execute("PRAGMA table_info(%s)" % quote_sqlite_ident(table)).fetchall()

    def sp_help(self, out, a):
        obj = a.get("objname")
        cfg = self.server.config.load()
        procs = cfg.get("procedures", {})
        if not obj:
            rows = []
            for n, t in self.tables():
                rows.append((n, "dbo", "user table" if t == "table" else "view"))
            for p in procs:
                rows.append((p.split(".")[-1].strip("[]"), "dbo", "stored procedure"))
            for n in ("sysallocunits", "sysfiles1", "sysrowsets", "sysschobjs"):
                rows.append((n, "sys", "system table"))
            for n in ("TABLES", "COLUMNS", "VIEWS"):
                rows.append((n, "INFORMATION_SCHEMA", "view"))
            for n, owner, t in cfg.get("listed_objects", []):
                rows.append((n, owner, t))
            rows.sort(key=lambda r: (r[2], r[0].lower()), reverse=False)
            self.proc_result(out, [sysname("Name"), sysname("Owner"), Column("Object_type", "nvarchar", 31)], rows)
            self.proc_result(out, [sysname("User_type"), sysname("Storage_type"), Column("Length", "smallint"),
                                   Column("Prec", "int"), Column("Scale", "int"), Column("Nullable", "nvarchar", 35),
                                   sysname("Default_name"), sysname("Rule_name"), sysname("Collation")], [])
            return
        key = normalize_name(obj)
        match = [(n, t) for n, t in self.tables() if n.lower() == key]
        if match:
            n, t = match[0]
            self.proc_result(out, [sysname("Name"), sysname("Owner"), Column("Type", "nvarchar", 31),
                                   Column("Created_datetime", "datetime")],
                             [(n, "dbo", "user table" if t == "table" else "view", None)])
            rows = []
            for cid, cname, ctype, notnull, dflt, pk in self.table_info(n):
                tname, _code, prec, length, scale, *_ = odbc_type_of(ctype)
                rows.append((cname, tname, "no", length, prec if scale is not None else None, scale,
                             "no" if notnull or pk else "yes", "no", "no",
                             "SQL_Latin1_General_CP1_CI_AS" if tname == "nvarchar" else None))
            self.proc_result(out, [sysname("Column_name"), sysname("Type"), Column("Computed", "nvarchar", 35),
                                   Column("Length", "int"), Column("Prec", "nchar", 5),
                                   Column("Scale", "nchar", 5), Column("Nullable", "nvarchar", 35),
                                   Column("TrimTrailingBlanks", "nvarchar", 35),
                                   Column("FixedLenNullInSource", "nvarchar", 35), sysname("Collation")],
                             [(r[0], r[1], r[2], r[3], None if r[4] is None else str(r[4]),
                               None if r[5] is None else str(r[5])) + r[6:] for r in rows])
            return
        pmatch = [p for p in procs if normalize_name(p) == key]
        if pmatch:
            self.proc_result(out, [sysname("Name"), sysname("Owner"), Column("Type", "nvarchar", 31),
                                   Column("Created_datetime", "datetime")],
                             [(pmatch[0].split(".")[-1].strip("[]"), "dbo", "stored procedure", None)])
            return
        raise SqlError(15009, 16, "The object '%s' does not exist in database '%s' or is invalid for this "
                                  "operation." % (obj, self.db_name))

    def sp_helptext(self, out, a):
        obj = a.get("objname")
        if not obj:
            raise SqlError(201, 16, "Procedure or function 'sp_helptext' expects parameter '@objname', "
                                    "which was not supplied.")
        key = normalize_name(obj)
        cfg = self.server.config.load()
        text = None
        for p, src in cfg.get("procedures", {}).items():
            if normalize_name(p) == key:
                text = src
        if text is None:
            row = self.db.execute("SELECT type, sql FROM sqlite_master WHERE lower(name) = ?", (key,)).fetchone()
            if row and row[0] in ("view", "trigger"):
                text = row[1]
            elif row:
                raise SqlError(15197, 16, "There is no text for object '%s'." % obj)
        if text is None:
            raise SqlError(15009, 16, "The object '%s' does not exist in database '%s' or is invalid for this "
                                      "operation." % (obj, self.db_name))
        rows = [(line + "\r\n",) for line in re.split(r"\r\n|\n|\r", text)]
        if len(rows) > 1 and rows[-1] == ("\r\n",) and re.search(r"(\r\n|\n|\r)$", text):
            rows.pop()
        width = max([255] + [len(r[0]) for r in rows])
        self.proc_result(out, [Column("Text", "nvarchar", min(width, 4000) if width <= 4000 else None)], rows)

    def sp_lock(self, out, a):
        cfg = self.server.config.load()
        if cfg.get("lock_error"):
            raise SqlError(1222, 16, cfg["lock_error"])
        rows = []
        spid = a.get("spid1")
        for lk in cfg.get("locks", []):
            if spid is not None and lk.get("spid") != int(spid):
                continue
            rows.append((lk.get("spid", self.spid), lk.get("dbid", 1), lk.get("ObjId", 0), lk.get("IndId", 0),
                         lk.get("Type", "DB"), lk.get("Resource", ""), lk.get("Mode", "S"),
                         lk.get("Status", "GRANT")))
        self.proc_result(out, [Column("spid", "smallint"), Column("dbid", "smallint"), Column("ObjId", "int"),
                               Column("IndId", "smallint"), Column("Type", "nchar", 4),
                               Column("Resource", "nchar", 32), Column("Mode", "nvarchar", 8),
                               Column("Status", "nvarchar", 5)], rows)

    def qualifier_ok(self, a):
        q = a.get("table_qualifier")
        owner = a.get("table_owner")
        return (not q or like_match(q, self.db_name)) and (not owner or like_match(owner, "dbo"))

    def sp_pkeys(self, out, a):
        rows = []
        if self.qualifier_ok(a):
            for n, t in self.tables(a.get("table_name"), ("table",)):
                pk = sorted((r[5], r[1]) for r in self.table_info(n) if r[5])
                for seq, col in pk:
                    rows.append((self.db_name, "dbo", n, col, seq, "PK_" + n))
        self.proc_result(out, [sysname("TABLE_QUALIFIER"), sysname("TABLE_OWNER"), sysname("TABLE_NAME"),
                               sysname("COLUMN_NAME"), Column("KEY_SEQ", "smallint"), sysname("PK_NAME")], rows)

    def sp_columns(self, out, a):
        odbc3 = int(a.get("odbcver") or 2) >= 3
        rows = []
        if self.qualifier_ok(a):
            for n, t in self.tables(a.get("table_name")):
                for cid, cname, ctype, notnull, dflt, pk in self.table_info(n):
                    if not like_match(a.get("column_name"), cname):
                        continue
                    tname, code, prec, length, scale, radix, sqltype, sub, ss = odbc_type_of(ctype)
                    if code == 11 and odbc3:
                        code = 93
                    nullable = 0 if notnull or pk else 1
                    octets = length if code in (-9, -3) else None
                    rows.append((self.db_name, "dbo", n, cname, code, tname, prec, length, scale, radix,
                                 nullable, None, dflt, sqltype, sub, octets, cid + 1,
                                 "YES" if nullable else "NO", ss))
        self.proc_result(out, SP_COLUMNS_COLS, rows)

    def sp_tables(self, out, a):
        wanted = a.get("table_type")
        types = []
        if wanted:
            for t in re.findall(r"[A-Za-z ]+", wanted):
                t = t.strip().upper()
                if t == "TABLE":
                    types.append("table")
                elif t == "VIEW":
                    types.append("view")
        else:
            types = ["table", "view"]
        rows = []
        if self.qualifier_ok(a):
            for n, t in self.tables(a.get("table_name"), tuple(types)):
                rows.append((self.db_name, "dbo", n, t.upper(), None))
        self.proc_result(out, [sysname("TABLE_QUALIFIER"), sysname("TABLE_OWNER"), sysname("TABLE_NAME"),
                               Column("TABLE_TYPE", "nvarchar", 32), Column("REMARKS", "nvarchar", 254)], rows)

    def primary_key(self, table):
        return [name for _seq, name in sorted((r[5], r[1]) for r in self.table_info(table) if r[5])]

    def indexes(self, table):
        """[(name, unique, [columns])] of a table, its primary key first as PK_<table>."""
        result = []
        pk = self.primary_key(table)
        if pk:
            result.append(("PK_" + table, True, pk))
        for _seq, name, unique, origin, _partial in self.db.execute(
                "PRAGMA index_list(%s)" % quote_sqlite_ident(table)).fetchall():
            if origin == "pk":
                continue
            cols = [r[2] for r in self.db.execute("PRAGMA index_info(%s)" % quote_sqlite_ident(name))]
            if name.startswith("sqlite_autoindex_"):
                name = "UQ_%s_%s" % (table, "_".join(cols))
            result.append((name, bool(unique), cols))
        return result

    def sp_statistics(self, out, a):
        rows = []
        if self.qualifier_ok(a):
            only_unique = (a.get("is_unique") or "N").upper() == "Y"
            for n, _t in self.tables(a.get("table_name"), ("table",)):
                count = self.db.execute("SELECT count(*) FROM %s" % quote_sqlite_ident(n)).fetchone()[0]
                rows.append((self.db_name, "dbo", n, None, None, None, 0, None, None, None, count, None, None))
                for iname, unique, cols in self.indexes(n):
                    if only_unique and not unique:
                        continue
                    if not like_match(a.get("index_name"), iname):
                        continue
                    for seq, col in enumerate(cols, 1):
                        rows.append((self.db_name, "dbo", n, 0 if unique else 1, n, iname,
                                     1 if iname == "PK_" + n else 3, seq, col, "A", count, None, None))
        self.proc_result(out, [sysname("TABLE_QUALIFIER"), sysname("TABLE_OWNER"), sysname("TABLE_NAME"),
                               Column("NON_UNIQUE", "smallint"), sysname("INDEX_QUALIFIER"), sysname("INDEX_NAME"),
                               Column("TYPE", "smallint"), Column("SEQ_IN_INDEX", "smallint"),
                               sysname("COLUMN_NAME"), Column("COLLATION", "nvarchar", 1),
                               Column("CARDINALITY", "int"), Column("PAGES", "int"),
                               Column("FILTER_CONDITION", "nvarchar", 128)], rows)

    def sp_special_columns(self, out, a):
        rows = []
        if self.qualifier_ok(a) and (a.get("col_type") or "R").upper() == "R":
            odbc3 = int(a.get("odbcver") or 2) >= 3
            for n, _t in self.tables(a.get("table_name"), ("table",)):
                key = self.primary_key(n)
                if not key:
                    unique = [cols for _n, u, cols in self.indexes(n) if u]
                    key = unique[0] if unique else []
                types = {r[1]: r[2] for r in self.table_info(n)}
                for col in key:
                    tname, code, prec, length, scale, *_ = odbc_type_of(types.get(col))
                    if code == 11 and odbc3:
                        code = 93
                    rows.append((1, col, code, tname, prec, length, scale, 1))
        self.proc_result(out, [Column("SCOPE", "smallint"), sysname("COLUMN_NAME"), Column("DATA_TYPE", "smallint"),
                               sysname("TYPE_NAME"), Column("PRECISION", "int"), Column("LENGTH", "int"),
                               Column("SCALE", "smallint"), Column("PSEUDO_COLUMN", "smallint")], rows)

    def sp_fkeys(self, out, a):
        rows = []
        for fk_table, _t in self.tables(a.get("fktable_name") or None, ("table",)):
            fks = self.db.execute("PRAGMA foreign_key_list(%s)" % quote_sqlite_ident(fk_table)).fetchall()
            by_id = {}
            for fid, seq, pk_table, from_col, to_col, on_update, on_delete, _match in fks:
                by_id.setdefault(fid, []).append((seq, pk_table, from_col, to_col, on_update, on_delete))
            for fid, parts in sorted(by_id.items()):
                pk_table = parts[0][1]
                if a.get("pktable_name") and not like_match(a.get("pktable_name"), pk_table):
                    continue
                pk_cols = self.primary_key(pk_table) if any(p[3] is None for p in parts) else []
                rule = {"CASCADE": 0, "RESTRICT": 1, "SET NULL": 2, "SET DEFAULT": 4}
                for seq, _pt, from_col, to_col, on_update, on_delete in sorted(parts):
                    to_col = to_col or (pk_cols[seq] if seq < len(pk_cols) else None)
                    rows.append((self.db_name, "dbo", pk_table, to_col, self.db_name, "dbo", fk_table, from_col,
                                 seq + 1, rule.get(on_update, 1), rule.get(on_delete, 1),
                                 "FK_%s_%s_%d" % (fk_table, pk_table, fid), "PK_" + pk_table, 7))
        self.proc_result(out, [sysname("PKTABLE_QUALIFIER"), sysname("PKTABLE_OWNER"), sysname("PKTABLE_NAME"),
                               sysname("PKCOLUMN_NAME"), sysname("FKTABLE_QUALIFIER"), sysname("FKTABLE_OWNER"),
                               sysname("FKTABLE_NAME"), sysname("FKCOLUMN_NAME"), Column("KEY_SEQ", "smallint"),
                               Column("UPDATE_RULE", "smallint"), Column("DELETE_RULE", "smallint"),
                               sysname("FK_NAME"), sysname("PK_NAME"), Column("DEFERRABILITY", "smallint")], rows)

    def sp_stored_procedures(self, out, a):
        cfg = self.server.config.load()
        rows = []
        for p in sorted(cfg.get("procedures", {}), key=str.lower):
            name = p.split(".")[-1].strip("[]")
            if like_match(a.get("sp_name"), name):
                rows.append((self.db_name, "dbo", name + ";1", -1, -1, -1, None, 2))
        self.proc_result(out, [sysname("PROCEDURE_QUALIFIER"), sysname("PROCEDURE_OWNER"), sysname("PROCEDURE_NAME"),
                               Column("NUM_INPUT_PARAMS", "int"), Column("NUM_OUTPUT_PARAMS", "int"),
                               Column("NUM_RESULT_SETS", "int"), Column("REMARKS", "nvarchar", 254),
                               Column("PROCEDURE_TYPE", "smallint")], rows)

    def sp_datatype_info(self, out, a):
        wanted = int(a.get("data_type") or 0)
        odbc3 = int(a.get("odbcver") or 2) >= 3
        rows = []
        for r in TYPE_INFO_ROWS:
            r = list(r)
            if r[0] == "datetime" and not odbc3:
                r[1] = 11
            if wanted == 0 or r[1] == wanted:
                rows.append(tuple(r))
        self.proc_result(out, TYPE_INFO_COLS, rows)

    # ------------------------------------------------------------ RPC
    def handle_rpc(self, out, payload):
        r = Reader(payload)
        r.skip_all_headers()
        calls = []
        while not r.eof():
            n = r.u16()
            if n == 0xFFFF:
                pid = r.u16()
                name = RPC_PROC_IDS.get(pid)
                if name is None:
                    raise SqlError(50000, 16, "RPC procedure id %d is not supported." % pid)
            else:
                name = r.take(n * 2).decode("utf-16-le")
            r.u16()  # option flags
            params = []
            while not r.eof() and r.data[r.pos] not in (0x80, 0xFE, 0xFF):
                pname = r.b_varchar()
                status = r.u8()
                value = read_value(r)
                params.append((pname[1:].lower() if pname.startswith("@") else pname.lower(), status, value))
            calls.append((name, params))
            if not r.eof():
                r.u8()
        for i, (name, params) in enumerate(calls):
            self.exec_rpc(out, name, params, more=i < len(calls) - 1)

    def exec_rpc(self, out, name, params, more):
        proc = name.lower().split(".")[-1].strip("[]")
        LOG.info("spid %d: rpc %s %s", self.spid, proc, brief([(p[0], p[2]) for p in params]))
        if proc == "sp_executesql":
            stmt = params[0][2] if params else ""
            decl = params[1][2] if len(params) > 1 else ""
            self.run_prepared(out, stmt, decl, params[2:])
            out.tok(struct.pack("<Bi", TOK_RETURNSTATUS, 0))
            return self.done(out, TOK_DONEPROC, more)
        if proc in ("sp_prepare", "sp_prepexec"):
            decl = params[1][2] if len(params) > 1 else ""
            stmt = params[2][2] if len(params) > 2 else ""
            handle = self.next_handle
            self.next_handle += 1
            self.prepared[handle] = (stmt, decl)
            if proc == "sp_prepexec":
                self.run_prepared(out, stmt, decl, params[3:])
            out.tok(struct.pack("<Bi", TOK_RETURNSTATUS, 0))
            out.tok(self.return_value(params[0][0] if params else "handle", handle))
            return self.done(out, TOK_DONEPROC, more)
        if proc == "sp_execute":
            handle = params[0][2] if params else None
            if handle not in self.prepared:
                raise SqlError(8179, 16, "Could not find prepared statement with handle %s." % handle)
            stmt, decl = self.prepared[handle]
            self.run_prepared(out, stmt, decl, params[1:])
            out.tok(struct.pack("<Bi", TOK_RETURNSTATUS, 0))
            return self.done(out, TOK_DONEPROC, more)
        if proc == "sp_unprepare":
            if params:
                self.prepared.pop(params[0][2], None)
            out.tok(struct.pack("<Bi", TOK_RETURNSTATUS, 0))
            return self.done(out, TOK_DONEPROC, more)
        self.call_procedure(out, name.split(".")[-1].strip("[]"), [(p[0] or None, p[2]) for p in params], more)

    def return_value(self, name, value):
        body = (struct.pack("<H", 0) + b_varchar("@" + name) + b"\x01" + struct.pack("<IH", 0, 0x0009)
                + b"\x26\x04" + struct.pack("<Bi", 4, value))
        return bytes([TOK_RETURNVALUE]) + body

    def run_prepared(self, out, stmt, decl, values):
        names = [n.lower() for n in re.findall(r"@([\w#$]+)", decl or "")]
        params = {}
        for pos, (pname, _status, value) in enumerate(values):
            key = pname or (names[pos] if pos < len(names) else "p%d" % (pos + 1))
            params[key] = to_sqlite(value)
        LOG.info("spid %d: statement: %s %s", self.spid, stmt, brief(params))
        self.run_batch(out, stmt or "", params, TOK_DONEINPROC, final=False)


TYPE_INFO_COLS = [
    sysname("TYPE_NAME"), Column("DATA_TYPE", "smallint"), Column("PRECISION", "int"),
    Column("LITERAL_PREFIX", "nvarchar", 32), Column("LITERAL_SUFFIX", "nvarchar", 32),
    Column("CREATE_PARAMS", "nvarchar", 32), Column("NULLABLE", "smallint"), Column("CASE_SENSITIVE", "smallint"),
    Column("SEARCHABLE", "smallint"), Column("UNSIGNED_ATTRIBUTE", "smallint"), Column("MONEY", "smallint"),
    Column("AUTO_INCREMENT", "smallint"), sysname("LOCAL_TYPE_NAME"), Column("MINIMUM_SCALE", "smallint"),
    Column("MAXIMUM_SCALE", "smallint"), Column("SQL_DATA_TYPE", "smallint"), Column("SQL_DATETIME_SUB", "smallint"),
    Column("NUM_PREC_RADIX", "int"), Column("INTERVAL_PRECISION", "smallint"), Column("USERTYPE", "smallint")]

# The types this server sends, as SQLGetTypeInfo reports them.
TYPE_INFO_ROWS = [
    ("bit", -7, 1, None, None, None, 1, 0, 2, None, 0, None, "bit", 0, 0, -7, None, None, None, 16),
    ("tinyint", -6, 3, None, None, None, 1, 0, 2, 1, 0, 0, "tinyint", 0, 0, -6, None, 10, None, 5),
    ("bigint", -5, 19, None, None, None, 1, 0, 2, 0, 0, 0, "bigint", 0, 0, -5, None, 10, None, 0),
    ("varbinary", -3, 8000, "0x", None, "max length", 1, 0, 2, None, 0, None, "varbinary", None, None, -3,
     None, None, None, 4),
    ("nvarchar", -9, 4000, "N'", "'", "max length", 1, 0, 3, None, 0, None, "nvarchar", None, None, -9,
     None, None, None, 0),
    ("nchar", -8, 4000, "N'", "'", "length", 1, 0, 3, None, 0, None, "nchar", None, None, -8,
     None, None, None, 0),
    ("ntext", -10, 1073741823, "N'", "'", None, 1, 0, 1, None, 0, None, "ntext", None, None, -10,
     None, None, None, 0),
    ("numeric", 2, 38, None, None, "precision,scale", 1, 0, 2, 0, 0, 0, "numeric", 0, 38, 2, None, 10, None, 10),
    ("decimal", 3, 38, None, None, "precision,scale", 1, 0, 2, 0, 0, 0, "decimal", 0, 38, 3, None, 10, None, 24),
    ("int", 4, 10, None, None, None, 1, 0, 2, 0, 0, 0, "int", 0, 0, 4, None, 10, None, 7),
    ("smallint", 5, 5, None, None, None, 1, 0, 2, 0, 0, 0, "smallint", 0, 0, 5, None, 10, None, 6),
    ("float", 6, 15, None, None, None, 1, 0, 2, 0, 0, 0, "float", None, None, 6, None, 2, None, 8),
    ("datetime", 93, 23, "'", "'", None, 1, 0, 3, None, 0, None, "datetime", 3, 3, 9, 3, None, None, 12),
]


def brief(value, limit=300):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + "...(%d chars)" % len(text)


def quote_sqlite_ident(name):
    return '"' + name.replace('"', '""') + '"'


SYSTEM_PROCS = {
    "sp_help": Session.sp_help,
    "sp_helptext": Session.sp_helptext,
    "sp_lock": Session.sp_lock,
    "sp_pkeys": Session.sp_pkeys,
    "sp_columns": Session.sp_columns,
    "sp_tables": Session.sp_tables,
    "sp_datatype_info": Session.sp_datatype_info,
    "sp_statistics": Session.sp_statistics,
    "sp_special_columns": Session.sp_special_columns,
    "sp_fkeys": Session.sp_fkeys,
    "sp_stored_procedures": Session.sp_stored_procedures,
    "sp_datatype_info_100": Session.sp_datatype_info,
}
PROC_PARAMS = {
    "sp_help": ["objname"],
    "sp_helptext": ["objname", "columnname"],
    "sp_lock": ["spid1", "spid2"],
    "sp_pkeys": ["table_name", "table_owner", "table_qualifier"],
    "sp_columns": ["table_name", "table_owner", "table_qualifier", "column_name", "odbcver"],
    "sp_tables": ["table_name", "table_owner", "table_qualifier", "table_type", "fusepattern"],
    "sp_datatype_info": ["data_type", "odbcver"],
    "sp_statistics": ["table_name", "table_owner", "table_qualifier", "index_name", "is_unique", "accuracy"],
    "sp_special_columns": ["table_name", "table_owner", "table_qualifier", "col_type", "scope", "nullable",
                           "odbcver"],
    "sp_fkeys": ["pktable_name", "pktable_owner", "pktable_qualifier", "fktable_name", "fktable_owner",
                 "fktable_qualifier"],
    "sp_stored_procedures": ["sp_name", "sp_owner", "sp_qualifier"],
    "sp_datatype_info_100": ["data_type", "odbcver"],
}


class Output:
    """Collects response tokens and sends them in packets of the negotiated size; between
    packets it looks for an ATTENTION from the client and stops at a token boundary."""

    def __init__(self, session):
        self.s = session
        self.buf = bytearray()
        self.packet_id = 1
        self.cancelled = False

    def tok(self, data):
        if self.cancelled:
            raise Cancelled()
        self.buf += data
        if len(self.buf) > (self.s.packet_size - 8) * 8:
            self._send_full_packets()
            if self.cancelled:
                raise Cancelled()

    def _send_full_packets(self):
        size = self.s.packet_size - 8
        pos = 0
        while len(self.buf) - pos > size:
            self.s.send_packet(self.buf[pos:pos + size], False, self.packet_id)
            self.packet_id += 1
            pos += size
            if self.s.poll_attention():
                self.cancelled = True
                break
        del self.buf[:pos]

    def finish(self):
        self._send_full_packets()
        if self.cancelled:
            # a token stream cut at a token boundary, then the acknowledgement
            self.cancelled = False
            self.s.pending_attention = False
            self.buf += tok_done(TOK_DONE, DONE_ATTN)
            self._send_full_packets_no_poll()
        self.s.send_packet(self.buf, True, self.packet_id)
        self.buf = bytearray()

    def _send_full_packets_no_poll(self):
        size = self.s.packet_size - 8
        while len(self.buf) > size:
            self.s.send_packet(self.buf[:size], False, self.packet_id)
            self.packet_id += 1
            del self.buf[:size]


# ---------------------------------------------------------------- server

class Server:
    def __init__(self, args):
        self.args = args
        self.config = Config(args.config, args.db)
        self.stopping = threading.Event()
        self.threads = []
        self.next_spid = 51
        self.lock = threading.Lock()

    def server_name(self):
        try:
            return self.config.load().get("server_name", "QUORVANE-TDS")
        except (OSError, ValueError):
            return "QUORVANE-TDS"

    def serve(self):
        lsock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        lsock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        lsock.bind(("127.0.0.1", self.args.port))
        lsock.listen(32)
        lsock.settimeout(IDLE_POLL)
        port = lsock.getsockname()[1]
        LOG.info("listening on 127.0.0.1:%d", port)
        if self.args.port_file:
            tmp = self.args.port_file + ".tmp"
            with open(tmp, "w") as f:
                f.write("%d\n" % port)
            os.replace(tmp, self.args.port_file)
        try:
            while not self.stopping.is_set():
                try:
                    conn, addr = lsock.accept()
                except socket.timeout:
                    continue
                except OSError:
                    if self.stopping.is_set():
                        break
                    raise
                conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                with self.lock:
                    spid = self.next_spid
                    self.next_spid += 1
                LOG.info("spid %d: connection from %s:%d", spid, addr[0], addr[1])
                t = threading.Thread(target=Session(self, conn, spid).run, name="spid-%d" % spid, daemon=True)
                t.start()
                self.threads = [x for x in self.threads if x.is_alive()] + [t]
        finally:
            lsock.close()
            for t in self.threads:
                t.join(timeout=2 * IDLE_POLL + 1)
            LOG.info("stopped")


def main(argv=None):
    ap = argparse.ArgumentParser(description="Loopback SQL Server (TDS) test server backed by SQLite")
    ap.add_argument("--port", type=int, default=0, help="TCP port on 127.0.0.1; 0 picks a free one")
    ap.add_argument("--port-file", help="file that receives the port once the server listens")
    ap.add_argument("--db", required=True, help="SQLite file of the default database")
    ap.add_argument("--config", help="JSON config: users, databases, procedures, locks")
    ap.add_argument("--log", help="log file (default: stderr)")
    ap.add_argument("--verbose", action="store_true", help="log every SQLite statement")
    args = ap.parse_args(argv)
    handler = logging.FileHandler(args.log, encoding="utf-8") if args.log else logging.StreamHandler(sys.stderr)
    handler.setFormatter(logging.Formatter("%(asctime)s %(threadName)s %(levelname)s %(message)s"))
    LOG.addHandler(handler)
    LOG.setLevel(logging.DEBUG if args.verbose else logging.INFO)
    server = Server(args)

    def stop(signum, frame):
        LOG.info("signal %d: stopping", signum)
        server.stopping.set()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    server.serve()
    return 0


if __name__ == "__main__":
    sys.exit(main())
