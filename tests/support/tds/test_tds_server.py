#!/usr/bin/python3
"""Tests of the TDS test server through the real FreeTDS ODBC driver (pyodbc + unixODBC).

Run with Debian's interpreter: /usr/bin/python3 test_tds_server.py
"""

import contextlib
import ctypes
import datetime
import decimal
import os
import socket
import sqlite3
import struct
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pyodbc  # noqa: E402

from tds_fixture import TdsServer  # noqa: E402

PROC_SOURCE = ("CREATE PROCEDURE dbo.GetOrders @id int\n"
               "AS\n"
               "BEGIN\n"
               "    SELECT * FROM orders WHERE id = @id\n"
               "END")


@contextlib.contextmanager
def odbc_connection(connection_string):
    """Connects through unixODBC's C API; yields (library, connection handle, connected)."""
    odbc = ctypes.CDLL("libodbc.so.2")
    env, dbc = ctypes.c_void_p(), ctypes.c_void_p()
    odbc.SQLAllocHandle(1, None, ctypes.byref(env))
    odbc.SQLSetEnvAttr(env, 200, ctypes.c_void_p(3), 0)
    odbc.SQLAllocHandle(2, env, ctypes.byref(dbc))
    connected = odbc.SQLDriverConnect(dbc, None, connection_string.encode(), -3, None, 0, None, 0) in (0, 1)
    try:
        yield odbc, dbc, connected
    finally:
        if connected:
            odbc.SQLDisconnect(dbc)
        odbc.SQLFreeHandle(2, dbc)
        odbc.SQLFreeHandle(1, env)


@contextlib.contextmanager
def odbc_statement(connection_string):
    """A statement handle on a new connection; yields (library, statement handle)."""
    with odbc_connection(connection_string) as (odbc, dbc, connected):
        if not connected:
            raise RuntimeError("connect failed")
        stmt = ctypes.c_void_p()
        odbc.SQLAllocHandle(3, dbc, ctypes.byref(stmt))
        try:
            yield odbc, stmt
        finally:
            odbc.SQLFreeHandle(3, stmt)


def odbc_connect_diagnostics(connection_string):
    """Returns (connected, [(sqlstate, native, text), ...]) of a connection attempt."""
    with odbc_connection(connection_string) as (odbc, dbc, connected):
        records = []
        state, native = ctypes.create_string_buffer(6), ctypes.c_int()
        text, length = ctypes.create_string_buffer(1024), ctypes.c_short()
        i = 1
        while odbc.SQLGetDiagRec(2, dbc, i, state, ctypes.byref(native), text, 1024, ctypes.byref(length)) in (0, 1):
            records.append((state.value.decode(), native.value, text.value.decode(errors="replace")))
            i += 1
        return connected, records


def odbc_execute_with_parameter(connection_string, sql, int_values, prepare=True):
    """With prepare: SQLPrepare once, then SQLExecute once per value bound to the single integer
    parameter; without: SQLExecDirect per value. Returns the SQLRowCount of each execution."""
    with odbc_statement(connection_string) as (odbc, stmt):
        if prepare and odbc.SQLPrepare(stmt, sql.encode(), -3) != 0:
            raise RuntimeError("SQLPrepare failed")
        value = ctypes.c_int()
        # input parameter, SQL_C_SLONG, SQL_INTEGER
        odbc.SQLBindParameter(stmt, ctypes.c_ushort(1), ctypes.c_short(1), ctypes.c_short(-16), ctypes.c_short(4),
                              ctypes.c_size_t(0), ctypes.c_short(0), ctypes.byref(value), ctypes.c_ssize_t(0), None)
        counts = []
        for v in int_values:
            value.value = v
            rc = odbc.SQLExecute(stmt) if prepare else odbc.SQLExecDirect(stmt, sql.encode(), -3)
            if rc not in (0, 1):
                raise RuntimeError("execution failed")
            n = ctypes.c_ssize_t()
            odbc.SQLRowCount(stmt, ctypes.byref(n))
            counts.append(n.value)
            odbc.SQLFreeStmt(stmt, 0)
        return counts


def odbc_column_bases(connection_string, statements):
    """Runs statements on one connection; for the last one's result returns [(SQL_DESC_LABEL,
    SQL_DESC_NAME, SQL_DESC_BASE_TABLE_NAME, SQL_DESC_BASE_COLUMN_NAME)] of each column."""
    with odbc_statement(connection_string) as (odbc, stmt):
        for sql in statements:
            odbc.SQLFreeStmt(stmt, 0)
            if odbc.SQLExecDirect(stmt, sql.encode(), -3) not in (0, 1, 100):
                raise RuntimeError("SQLExecDirect failed: " + sql)
        count = ctypes.c_short()
        odbc.SQLNumResultCols(stmt, ctypes.byref(count))
        result = []
        for col in range(1, count.value + 1):
            texts = []
            for field in (18, 1011, 23, 22):
                buf, length, number = ctypes.create_string_buffer(256), ctypes.c_short(), ctypes.c_ssize_t()
                odbc.SQLColAttribute(stmt, ctypes.c_ushort(col), ctypes.c_ushort(field), buf, 256,
                                     ctypes.byref(length), ctypes.byref(number))
                texts.append(buf.value.decode())
            result.append(tuple(texts))
        odbc.SQLFreeStmt(stmt, 0)
        return result


class ServerTestCase(unittest.TestCase):
    """Each test gets its own server process, SQLite file and config."""

    config = None

    def setUp(self):
        self.server = TdsServer(self.config)
        try:
            self.server.start()
        except Exception:
            self.server.cleanup()
            raise
        self.addCleanup(self.server.cleanup)
        self.addCleanup(self.dump_log_on_failure)
        self.conn = self.server.connect()
        self.addCleanup(self.conn.close)
        self.cur = self.conn.cursor()

    def dump_log_on_failure(self):
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        failed = result is not None and any(
            t is self for t, _ in list(result.failures) + list(result.errors))
        if failed:
            sys.stderr.write("\n--- server log of %s ---\n%s\n" % (self.id(), self.server.log_text()))

    def assertLogContains(self, text):
        if text not in self.server.log_text():
            self.fail("server log lacks %r" % text)

    def sql(self, text, *params):
        self.cur.execute(text, *params)
        return self.cur

    def assertOdbcError(self, func, sqlstate, number, text):
        with self.assertRaises(pyodbc.Error) as cm:
            func()
        state, message = cm.exception.args[0], cm.exception.args[1]
        self.assertEqual(state, sqlstate, message)
        self.assertIn("(%d)" % number, message)
        self.assertIn(text, message)
        return message


class LoginTests(ServerTestCase):
    def test_login_reports_database_and_runs_a_query(self):
        self.assertEqual(self.conn.getinfo(pyodbc.SQL_DATABASE_NAME), "quorvane")
        self.assertEqual(self.sql("select 40 + 2").fetchval(), 42)

    def test_wrong_password_or_unknown_user_is_refused_with_18456(self):
        for user, password in (("tester", "wrong"), ("nobody", "x")):
            with self.subTest(user=user), self.assertRaises(pyodbc.Error) as cm:
                self.server.connect(user=user, password=password)
            self.assertIn("Login failed for user '%s'." % user, cm.exception.args[1])
            self.assertIn("(18456)", cm.exception.args[1])

    def test_unknown_database_gets_4060_and_18456(self):
        # pyodbc shows only the first diagnostic record, so read them all through unixODBC
        ok, records = odbc_connect_diagnostics(self.server.connection_string(database="nosuchdb"))
        self.assertFalse(ok)
        numbers = [native for _state, native, _text in records]
        self.assertIn(4060, numbers)
        self.assertIn(18456, numbers)
        texts = {native: text for _state, native, text in records}
        self.assertIn('Cannot open database "nosuchdb" requested by the login. The login failed.', texts[4060])
        self.assertIn("Login failed for user 'tester'.", texts[18456])
        ok, records = odbc_connect_diagnostics(self.server.connection_string())
        self.assertTrue(ok, records)

    def test_password_change_in_config_applies_to_next_login(self):
        self.server.write_config(users={"tester": "new-secret"})
        with self.assertRaises(pyodbc.Error):
            self.server.connect(password="s3cret!")
        conn = self.server.connect(password="new-secret")
        self.assertEqual(conn.cursor().execute("select 1").fetchval(), 1)
        conn.close()

    def test_use_or_login_switches_to_a_configured_database(self):
        other = os.path.join(self.server.dir, "other.sqlite")
        with sqlite3.connect(other) as db:
            db.execute("create table only_in_other (x int)")
            db.execute("insert into only_in_other values (7)")
        self.server.write_config(databases={"otherdb": other})
        conn = self.server.connect(database="otherdb")
        self.assertEqual(conn.getinfo(pyodbc.SQL_DATABASE_NAME), "otherdb")
        conn.close()
        self.sql("USE [otherdb]")
        self.assertEqual(self.conn.getinfo(pyodbc.SQL_DATABASE_NAME), "otherdb")
        self.assertEqual(self.sql("select x from dbo.only_in_other").fetchval(), 7)
        self.assertOdbcError(lambda: self.sql("use missingdb"), "08004", 911, "Database 'missingdb' does not exist")


class BatchTests(ServerTestCase):
    def setUp(self):
        super().setUp()
        self.sql("create table [dbo].[items] (id int primary key, name nvarchar(50), qty int)")
        self.sql("insert into dbo.items values (1, N'one', 10), (2, N'two', 20), (3, N'three', 30)")

    def test_select_returns_rows_and_types(self):
        rows = self.sql("select id, name, qty from [dbo].[items] order by id").fetchall()
        self.assertEqual([tuple(r) for r in rows], [(1, "one", 10), (2, "two", 20), (3, "three", 30)])
        desc = self.cur.description
        self.assertEqual([d[0] for d in desc], ["id", "name", "qty"])
        self.assertIs(desc[0][1], int)
        self.assertIs(desc[1][1], str)
        self.assertEqual(desc[1][3], 50)

    def test_insert_then_rowcount_select_gives_two_results(self):
        cur = self.sql("insert into items (id, name, qty) values (4, 'four', 40)\n"
                       "select @@RowCount as 'Affected Rows'")
        self.assertEqual(cur.rowcount, 1)
        self.assertIsNone(cur.description)
        self.assertTrue(cur.nextset())
        self.assertEqual(cur.description[0][0], "Affected Rows")
        self.assertEqual([tuple(r) for r in cur.fetchall()], [(1,)])
        self.assertFalse(cur.nextset())

    def test_update_rowcount_with_semicolons(self):
        cur = self.sql("update items set qty = qty + 1 where id >= 2; select @@ROWCOUNT as 'Affected Rows';")
        self.assertEqual(cur.rowcount, 2)
        self.assertTrue(cur.nextset())
        self.assertEqual(cur.fetchval(), 2)

    def test_several_statements_each_give_a_result(self):
        cur = self.sql("select count(*) from items; -- first\n"
                       "/* a comment; with a semicolon */ delete from items where id = 3;\n"
                       "select name from items where name = 'it''s; not a split' or id = 1 -- trailing")
        self.assertEqual([tuple(r) for r in cur.fetchall()], [(3,)])
        self.assertTrue(cur.nextset())
        self.assertEqual(cur.rowcount, 1)
        self.assertTrue(cur.nextset())
        self.assertEqual([tuple(r) for r in cur.fetchall()], [("one",)])
        self.assertFalse(cur.nextset())

    def test_statements_without_semicolons_are_split_at_keywords(self):
        cur = self.sql("insert into items (id, name, qty)\nselect 9, 'nine', 90\nselect count(*) from items")
        self.assertEqual(cur.rowcount, 1)
        self.assertTrue(cur.nextset())
        self.assertEqual(cur.fetchval(), 4)

    def test_tsql_translations(self):
        self.assertEqual([r[0] for r in self.sql("select top 2 id from dbo.items order by id desc")], [3, 2])
        self.assertEqual([r[0] for r in self.sql("SELECT TOP (1) [name] FROM [dbo].[items] ORDER BY [id]")],
                         ["one"])
        now = self.sql("select getdate()").fetchval()
        self.assertIsInstance(now, datetime.datetime)
        self.assertLess(abs((now - datetime.datetime.now()).total_seconds()), 3600 * 24)
        self.assertEqual(tuple(self.sql("select isnull(null, N'x'), len(N'abc')").fetchone()), ("x", 3))
        self.assertEqual(self.sql("select abs(max(qty)) from items").fetchval(), 30)
        self.assertEqual(tuple(self.sql("select N'#' + name + ' x', db_name(), suser_sname(), system_user "
                                        "from items where id = 1").fetchone()),
                         ("#one x", "quorvane", "tester", "tester"))
        self.assertEqual(self.sql("select qty + 1 from items where id = 1").fetchval(), 11)
        self.sql("create table #scratch (v int); insert into #scratch values (7)")
        self.assertEqual(self.sql("select v from #scratch").fetchval(), 7)
        other = self.server.connect()
        self.assertOdbcError(lambda: other.cursor().execute("select v from #scratch"), "42S02", 208, "#scratch")
        other.close()
        self.sql("create table wide (t nvarchar(max), b varbinary(MAX))")
        self.sql("insert into wide values (N'x', null)")
        self.assertEqual(self.sql("select t from wide").fetchval(), "x")

    def test_union_and_collations(self):
        self.sql("create table words (w nvarchar(10))")
        self.sql("insert into words values (N'abc'); insert into words values (N'ABC'); "
                 "insert into words values (N'abc ')")
        self.assertEqual(sorted(r[0] for r in self.sql("select w from words union all select name from items")),
                         ["ABC", "abc", "abc ", "one", "three", "two"])
        # Binary by default; BIN2 tells case apart but pads with blanks, as SQL Server does.
        self.assertEqual(self.sql("select count(*) from words where w = N'abc'").fetchval(), 1)
        self.assertEqual(self.sql("select count(*) from words where w = ? collate Latin1_General_BIN2",
                                  "abc").fetchval(), 2)
        self.assertEqual(self.sql("select count(*) from words where len(w + N'.') = len(? + N'.')",
                                  "abc").fetchval(), 2)
        # The switch makes the text columns of new tables case-insensitive.
        self.server.write_config(case_insensitive=True)
        self.sql("create table folded (w varchar(10)); insert into folded select w from words")
        self.assertEqual(self.sql("select count(*) from folded where w = N'ABC'").fetchval(), 3)
        self.assertEqual(self.sql("select count(*) from folded where w = N'ABC' collate Latin1_General_BIN2")
                         .fetchval(), 1)

    def test_set_rowcount_limits_results(self):
        self.sql("SET ROWCOUNT 2")
        self.assertEqual([r[0] for r in self.sql("select id from items order by id")], [1, 2])
        self.sql("SET ROWCOUNT 0")
        self.assertEqual(len(self.sql("select id from items").fetchall()), 3)

    def test_update_and_delete_top_change_that_many_rows(self):
        self.sql("insert into items values (4, N'one', 10)")
        cur = self.sql("UPDATE TOP (1) [items] SET [qty] = 11 WHERE [name] = N'one' AND [qty] = 10")
        self.assertEqual(cur.rowcount, 1)
        self.assertEqual([tuple(r) for r in self.sql("select name, qty from items where name = 'one' order by qty")],
                         [("one", 10), ("one", 11)])
        self.assertEqual(self.sql("update top 5 dbo.items set qty = 0").rowcount, 4)
        self.assertEqual(self.sql("DELETE TOP (1) FROM [items] WHERE [name] = ?", "one").rowcount, 1)
        self.assertEqual(self.sql("delete top (2) items").rowcount, 2)
        self.assertEqual(self.sql("select count(*) from items").fetchval(), 1)

    def test_identity_column_counts_up(self):
        self.sql("create table auto (id int identity(1,1) primary key, v nvarchar(10))")
        self.sql("insert into auto (v) values ('a'); insert into auto (v) values ('b')")
        self.assertEqual([tuple(r) for r in self.sql("select id, v from auto order by id")], [(1, "a"), (2, "b")])

    def test_batch_longer_than_one_packet(self):
        values = ",".join("(%d, N'name %d ÿ', %d)" % (i, i, i) for i in range(100, 1100))
        self.assertGreater(len(values) * 2, 4096 * 4)
        cur = self.sql("insert into items values " + values)
        self.assertEqual(cur.rowcount, 1000)
        self.assertEqual(self.sql("select sum(qty) from items where id >= 100").fetchval(), sum(range(100, 1100)))

    def test_hundred_thousand_rows(self):
        self.sql("create table big (id int primary key, label nvarchar(20), f float)")
        self.sql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                 "insert into big select i, 'row ' || i, i / 4.0 from n")
        self.assertEqual(self.cur.rowcount, 100000)
        rows = self.sql("select id, label, f from big order by id").fetchall()
        self.assertEqual(len(rows), 100000)
        self.assertEqual(sum(r[0] for r in rows), 100000 * 100001 // 2)
        self.assertEqual(tuple(rows[-1]), (100000, "row 100000", 25000.0))

    def test_unicode_round_trip(self):
        texts = ["Привет, мир", "日本語のテキスト", "emoji 😀🎉 and 𝄞", "mixed ÄÖÜ ß € ½"]
        for i, t in enumerate(texts):
            self.sql("insert into items values (?, ?, ?)", 100 + i, t, i)
        self.sql("insert into items values (200, N'литерал 漢字 🚀', 0)")
        got = dict(tuple(r) for r in self.sql("select id, name from items where id >= 100"))
        self.assertEqual([got[100 + i] for i in range(len(texts))], texts)
        self.assertEqual(got[200], "литерал 漢字 🚀")
        self.assertEqual(self.sql("select id from items where name = N'日本語のテキスト'").fetchval(), 101)

    def test_nulls_of_each_type(self):
        self.sql("create table typed (i int, b bigint, f float, d decimal(12,3), bt bit, "
                 "s nvarchar(20), m nvarchar(max), t ntext, dt datetime)")
        self.sql("insert into typed values (null, null, null, null, null, null, null, null, null)")
        self.sql("insert into typed values (-5, 9000000000, 2.5, 123456789.125, 1, N'short', N'long', N'text', "
                 "'2023-12-31 23:59:59.997')")
        rows = self.sql("select * from typed order by i").fetchall()
        self.assertEqual(tuple(rows[0]), (None,) * 9)
        self.assertEqual(tuple(rows[1]), (-5, 9000000000, 2.5, decimal.Decimal("123456789.125"), True, "short",
                                          "long", "text", datetime.datetime(2023, 12, 31, 23, 59, 59, 997000)))
        types = [d[1] for d in self.cur.description]
        self.assertEqual(types, [int, int, float, decimal.Decimal, bool, str, str, str, datetime.datetime])

    def test_long_text_round_trip(self):
        self.sql("create table docs (id int primary key, body nvarchar(max))")
        body = ("Lorem ipsum ☃ " * 20000)[:200000]
        self.sql("insert into docs values (?, ?)", 1, body)
        self.assertEqual(self.sql("select body from docs where id = 1").fetchval(), body)
        self.assertEqual(self.sql("select length(body) from docs").fetchval(), 200000)

    def test_base_table_and_column_in_browse_mode(self):
        # Without browse mode SQL Server names no base table. With it, the base table comes with
        # every column, and a base column name only where it differs from the label; FreeTDS then
        # reports that base name as SQL_DESC_NAME and keeps the label in SQL_DESC_LABEL.
        query = "select id, name as label, qty * 2 as twice from [dbo].[items] where id > 1 order by id"
        self.assertEqual(odbc_column_bases(self.server.connection_string(), [query]),
                         [("id", "id", "", ""), ("label", "label", "", ""), ("twice", "twice", "", "")])
        bases = odbc_column_bases(self.server.connection_string(), ["SET NO_BROWSETABLE ON", query])
        self.assertEqual(bases, [("id", "id", "items", ""), ("label", "name", "items", "name"),
                                 ("twice", "twice", "", "")])
        bases = odbc_column_bases(self.server.connection_string(),
                                  ["SET NO_BROWSETABLE ON", "select * from items i"])
        self.assertEqual([b[2] for b in bases], ["items", "items", "items"])
        self.server.write_config(browse_info=True)
        bases = odbc_column_bases(self.server.connection_string(), ["select qty from items"])
        self.assertEqual(bases, [("qty", "qty", "items", "")])
        bases = odbc_column_bases(self.server.connection_string(),
                                  ["select a.id from items a join items b on a.id = b.id"])
        self.assertEqual(bases, [("id", "id", "", "")])

    def test_mixed_column_falls_back_to_text(self):
        self.sql("create table loose (v)")
        self.sql("insert into loose values (1), ('two'), (3.5), (null)")
        self.assertEqual([r[0] for r in self.sql("select v from loose order by rowid")], ["1", "two", "3.5", None])

    def test_errors_carry_the_servers_number_and_text(self):
        for sql, state, number, text in (
                ("selec * form items", "42000", 102, "Incorrect syntax near"),
                ("select * from dbo.nothere", "42S02", 208, "Invalid object name 'nothere'."),
                ("select nosuchcol from items", "42S22", 207, "Invalid column name 'nosuchcol'."),
                ("insert into items values (1, 'dup', 0)", "23000", 2627, "Violation of PRIMARY KEY constraint")):
            with self.subTest(sql=sql):
                self.assertOdbcError(lambda: self.sql(sql), state, number, text)
        self.assertEqual(self.sql("select count(*) from items").fetchval(), 3)

    def test_error_in_second_statement_keeps_first_result(self):
        self.cur.execute("select count(*) from items; select * from missing_table")
        self.assertEqual([tuple(r) for r in self.cur.fetchall()], [(3,)])
        with self.assertRaises(pyodbc.Error) as cm:
            self.cur.nextset()
        self.assertIn("Invalid object name 'missing_table'.", cm.exception.args[1])


class ParameterTests(ServerTestCase):
    def setUp(self):
        super().setUp()
        self.sql("create table p (id int primary key, s nvarchar(100), f float, d decimal(10,2), "
                 "dt datetime, b bit, big bigint)")

    def test_parameterised_insert_and_select(self):
        when = datetime.datetime(2024, 2, 29, 13, 14, 15, 500000)
        self.sql("insert into p values (?, ?, ?, ?, ?, ?, ?)", 1, "Grüße 🌍", 1.25, decimal.Decimal("12.34"),
                 when, True, 2 ** 40)
        self.assertEqual(self.cur.rowcount, 1)
        row = self.sql("select id, s, f, d, dt, b, big from p where id = ? and s = ?", 1, "Grüße 🌍").fetchone()
        self.assertEqual(tuple(row), (1, "Grüße 🌍", 1.25, decimal.Decimal("12.34"), when, True, 2 ** 40))
        self.assertLogContains("sp_prepexec")

    def test_null_parameters(self):
        self.sql("insert into p values (?, ?, ?, ?, ?, ?, ?)", 2, None, None, None, None, None, None)
        self.assertEqual(tuple(self.sql("select * from p where id = ?", 2).fetchone()), (2,) + (None,) * 6)

    def test_executemany(self):
        self.cur.executemany("insert into p (id, s) values (?, ?)", [(i, "v%d" % i) for i in range(10, 20)])
        self.assertEqual(tuple(self.sql("select count(*), min(s), max(s) from p").fetchone()), (10, "v10", "v19"))

    def test_prepare_once_execute_twice(self):
        # pyodbc prepares again for every execute; the C API shows the sp_execute path
        counts = odbc_execute_with_parameter(self.server.connection_string(),
                                             "insert into p (id, s) values (?, 'prepared')", [41, 42])
        self.assertEqual(counts, [1, 1])
        self.assertEqual([r[0] for r in self.sql("select id from p where s = 'prepared' order by id")], [41, 42])
        self.assertLogContains("rpc sp_prepexec")
        self.assertLogContains("rpc sp_execute ")

    def test_exec_direct_with_parameter(self):
        counts = odbc_execute_with_parameter(self.server.connection_string(),
                                             "update p set f = ? where id = 7", [5, 6], prepare=False)
        self.assertEqual(counts, [0, 0])
        self.sql("insert into p (id) values (7)")
        counts = odbc_execute_with_parameter(self.server.connection_string(),
                                             "update p set f = ? where id = 7", [8], prepare=False)
        self.assertEqual(counts, [1])
        self.assertEqual(self.sql("select f from p where id = 7").fetchval(), 8.0)
        self.assertLogContains("rpc sp_executesql")

    def test_error_in_parameterised_statement(self):
        self.sql("insert into p (id) values (?)", 1)
        self.assertOdbcError(lambda: self.sql("insert into p (id) values (?)", 1), "23000", 2627,
                             "Violation of PRIMARY KEY constraint")
        self.assertOdbcError(lambda: self.sql("select * from nowhere where id = ?", 1), "42S02", 208,
                             "Invalid object name 'nowhere'.")
        self.assertEqual(self.sql("select count(*) from p where id = ?", 1).fetchval(), 1)

    def test_parameter_text_is_not_sql(self):
        evil = "x'); drop table p; --"
        self.sql("insert into p (id, s) values (?, ?)", 3, evil)
        self.assertEqual(self.sql("select s from p where id = 3").fetchval(), evil)


class PacketSizeTests(ServerTestCase):
    config = {"packet_size": 512}

    def test_small_packets(self):
        cur = self.cur
        cur.execute("create table w (id int primary key, txt nvarchar(200))")
        values = ",".join("(%d, N'%s')" % (i, "ü%03d" % i * 20) for i in range(300))
        cur.execute("insert into w values " + values)
        self.assertEqual(cur.rowcount, 300)
        rows = cur.execute("select id, txt from w order by id").fetchall()
        self.assertEqual([tuple(r) for r in rows], [(i, "ü%03d" % i * 20) for i in range(300)])
        self.assertLogContains("packet size 512 from the config")


class CancelTests(ServerTestCase):
    def test_closing_a_statement_with_unread_rows_cancels_it(self):
        self.sql("create table big (id int primary key, pad nvarchar(100))")
        self.sql("with recursive n(i) as (select 1 union all select i + 1 from n where i < 50000) "
                 "insert into big select i, 'padding padding padding padding' from n")
        cur = self.conn.cursor()
        cur.execute("select id, pad from big order by id")
        self.assertEqual(cur.fetchone()[0], 1)
        cur.close()
        self.assertEqual(self.conn.cursor().execute("select count(*) from big where id < 10").fetchval(), 9)
        # 50,000 rows do not fit in the socket buffers, so the attention came in mid-response
        self.assertLogContains("attention received while sending")

    def test_cancel_of_an_already_complete_small_result(self):
        cur = self.conn.cursor()
        cur.execute("select 1 union all select 2 union all select 3")
        self.assertEqual(cur.fetchone()[0], 1)
        cur.close()
        cur = self.conn.cursor()
        cur.execute("select 'after'")
        self.assertEqual(cur.fetchval(), "after")
        cur.execute("select 1; select 2")
        cur.close()
        self.assertEqual(self.conn.cursor().execute("select 5").fetchval(), 5)
        self.assertLogContains("attention after a complete response")


class TransactionTests(ServerTestCase):
    def setUp(self):
        super().setUp()
        self.sql("create table acct (id int primary key, amount int)")

    def count(self):
        return self.sql("select count(*) from acct").fetchval()

    def test_commit_and_rollback_with_autocommit_off(self):
        tx = self.server.connect(autocommit=False)
        cur = tx.cursor()
        cur.execute("insert into acct values (1, 100)")
        tx.commit()
        self.assertEqual(self.count(), 1)
        cur.execute("insert into acct values (2, 200)")
        cur.execute("update acct set amount = 0 where id = 1")
        tx.rollback()
        self.assertEqual([tuple(r) for r in cur.execute("select * from acct")], [(1, 100)])
        tx.rollback()
        tx.close()
        self.assertEqual(self.count(), 1)
        self.assertLogContains("transaction manager request 5")
        self.assertLogContains("transaction manager request 7")
        self.assertLogContains("transaction manager request 8")

    def test_uncommitted_work_is_rolled_back_on_disconnect(self):
        tx = self.server.connect(autocommit=False)
        tx.cursor().execute("insert into acct values (5, 1)")
        tx.close()
        self.assertEqual(self.count(), 0)

    def test_begin_commit_rollback_batches(self):
        self.sql("begin transaction; insert into acct values (1, 1); rollback")
        self.assertEqual(self.count(), 0)
        self.sql("BEGIN TRAN\ninsert into acct values (2, 2)\nCOMMIT TRAN")
        self.assertEqual(self.count(), 1)
        self.assertOdbcError(lambda: self.sql("commit"), "25000", 3902, "no corresponding BEGIN TRANSACTION")

    def test_implicit_transactions(self):
        self.sql("SET IMPLICIT_TRANSACTIONS ON")
        self.sql("insert into acct values (3, 3)")
        self.assertEqual(self.sql("select @@trancount").fetchval(), 1)
        self.sql("ROLLBACK")
        self.sql("insert into acct values (4, 4)")
        self.sql("COMMIT")
        self.sql("SET IMPLICIT_TRANSACTIONS OFF")
        self.assertEqual([r[0] for r in self.sql("select id from acct")], [4])


class SystemProcedureTests(ServerTestCase):
    config = {
        "procedures": {"dbo.GetOrders": PROC_SOURCE, "ArchiveOld": "create procedure ArchiveOld as\r\n  return 0"},
        "locks": [
            {"spid": 52, "dbid": 5, "ObjId": 0, "IndId": 0, "Type": "DB", "Resource": "", "Mode": "S",
             "Status": "GRANT"},
            {"spid": 53, "dbid": 5, "ObjId": 1977058079, "IndId": 1, "Type": "KEY",
             "Resource": "(8194443284a0)", "Mode": "X", "Status": "WAIT"},
        ],
    }

    def setUp(self):
        super().setUp()
        self.sql("create table orders (id int, line int, item nvarchar(40) not null, price decimal(9,2), "
                 "primary key (id, line))")
        self.sql("create view big_orders as select * from orders where price > 100")

    def check_sp_help(self, text):
        cur = self.sql(text)
        self.assertEqual([d[0] for d in cur.description], ["Name", "Owner", "Object_type"])
        rows = {tuple(r) for r in cur.fetchall()}
        self.assertIn(("orders", "dbo", "user table"), rows)
        self.assertIn(("big_orders", "dbo", "view"), rows)
        self.assertIn(("GetOrders", "dbo", "stored procedure"), rows)
        self.assertIn(("ArchiveOld", "dbo", "stored procedure"), rows)
        self.assertTrue(any(r[1] == "sys" and r[2] == "system table" for r in rows))
        self.assertTrue(cur.nextset())
        self.assertEqual([d[0] for d in cur.description],
                         ["User_type", "Storage_type", "Length", "Prec", "Scale", "Nullable", "Default_name",
                          "Rule_name", "Collation"])
        self.assertFalse(cur.nextset())

    def test_sp_help_forms(self):
        for text in ("sp_help", "execute sp_help", "exec sp_help", "EXEC dbo.sp_help"):
            with self.subTest(text=text):
                self.check_sp_help(text)

    def test_sp_help_of_a_table(self):
        cur = self.sql("sp_help 'orders'")
        self.assertEqual(tuple(cur.fetchone())[:3], ("orders", "dbo", "user table"))
        self.assertTrue(cur.nextset())
        self.assertEqual([(r[0], r[1]) for r in cur.fetchall()],
                         [("id", "int"), ("line", "int"), ("item", "nvarchar"), ("price", "decimal")])

    def test_sp_helptext_lines_end_in_crlf(self):
        for text in ("sp_helptext 'dbo.GetOrders'", "sp_helptext GetOrders", "exec sp_helptext N'[dbo].[GetOrders]'"):
            with self.subTest(text=text):
                cur = self.sql(text)
                self.assertEqual([d[0] for d in cur.description], ["Text"])
                lines = [r[0] for r in cur.fetchall()]
                self.assertEqual(len(lines), 5)
                self.assertTrue(all(line.endswith("\r\n") for line in lines), lines)
                self.assertEqual("".join(lines), PROC_SOURCE.replace("\n", "\r\n") + "\r\n")
        lines = [r[0] for r in self.sql("sp_helptext ArchiveOld")]
        self.assertEqual(lines, ["create procedure ArchiveOld as\r\n", "  return 0\r\n"])

    def test_sp_helptext_of_a_view_and_unknown_name(self):
        self.assertIn("big_orders", "".join(r[0] for r in self.sql("sp_helptext big_orders")))
        self.assertOdbcError(lambda: self.sql("sp_helptext 'nope'"), "42000", 15009,
                             "The object 'nope' does not exist in database 'quorvane' or is invalid for this "
                             "operation.")

    def test_sp_lock_follows_config_changes(self):
        cur = self.sql("sp_lock")
        self.assertEqual([d[0] for d in cur.description],
                         ["spid", "dbid", "ObjId", "IndId", "Type", "Resource", "Mode", "Status"])
        rows = [tuple(r) for r in cur.fetchall()]
        self.assertEqual(len(rows), 2)
        self.assertEqual(rows[1][:4], (53, 5, 1977058079, 1))
        self.assertEqual(rows[1][4], "KEY ")                      # nchar(4) is blank padded
        self.assertEqual(rows[1][5].rstrip(), "(8194443284a0)")
        self.assertEqual(len(rows[1][5]), 32)
        self.assertEqual(rows[1][6:], ("X", "WAIT"))
        self.server.write_config(locks=[{"spid": 60, "dbid": 1, "ObjId": 5, "IndId": 0, "Type": "TAB",
                                         "Resource": "", "Mode": "IX", "Status": "GRANT"}])
        rows = [tuple(r) for r in self.sql("exec sp_lock")]
        self.assertEqual([(r[0], r[4].strip(), r[6]) for r in rows], [(60, "TAB", "IX")])
        self.server.write_config(lock_error="Lock request time out period exceeded.")
        self.assertOdbcError(lambda: self.sql("sp_lock"), "42000", 1222, "Lock request time out period exceeded.")

    def test_blocking_chain_views_and_names_follow_config(self):
        self.server.write_config(
            requests=[{"session_id": 54, "blocking_session_id": 53, "wait_type": "LCK_M_X", "wait_time": 1200},
                      {"session_id": 53, "blocking_session_id": 0, "wait_type": None, "wait_time": 0}],
            sessions=[{"session_id": 53, "login_name": "app", "host_name": "APP01"}],
            names={"databases": {"5": "shop"}, "objects": {"1977058079": "Orders"}})
        rows = [tuple(r) for r in self.sql(
            "select r.session_id, r.blocking_session_id, r.wait_type, r.wait_time, s.login_name, s.host_name "
            "from sys.dm_exec_requests r left join sys.dm_exec_sessions s on s.session_id = r.blocking_session_id "
            "where r.blocking_session_id <> 0")]
        self.assertEqual(rows, [(54, 53, "LCK_M_X", 1200, "app", "APP01")])
        self.assertEqual(tuple(self.sql("select db_name(5), object_name(1977058079, 5), db_name(9)").fetchone()),
                         ("shop", "Orders", None))
        self.server.write_config(requests=[])
        self.assertEqual(self.sql("select count(*) from sys.dm_exec_requests").fetchval(), 0)

    def test_primary_keys_and_columns_through_odbc(self):
        keys = [(r.table_name, r.column_name, r.key_seq) for r in self.cur.primaryKeys("orders")]
        self.assertEqual(keys, [("orders", "id", 1), ("orders", "line", 2)])
        cols = list(self.cur.columns(table="orders"))
        self.assertEqual([c.column_name for c in cols], ["id", "line", "item", "price"])
        self.assertEqual([c.type_name for c in cols], ["int", "int", "nvarchar", "decimal"])
        self.assertEqual([c.nullable for c in cols], [0, 0, 0, 1])
        self.assertEqual((cols[2].column_size, cols[3].column_size, cols[3].decimal_digits), (40, 9, 2))
        self.assertEqual([c.data_type for c in cols], [pyodbc.SQL_INTEGER, pyodbc.SQL_INTEGER,
                                                       pyodbc.SQL_WVARCHAR, pyodbc.SQL_DECIMAL])
        self.assertEqual(list(self.cur.primaryKeys("big_orders")), [])

    def test_tables_through_odbc(self):
        tables = {(t.table_name, t.table_type) for t in self.cur.tables()}
        self.assertEqual(tables, {("orders", "TABLE"), ("big_orders", "VIEW")})
        self.assertEqual([t.table_name for t in self.cur.tables(table="ord%")], ["orders"])

    def test_statistics_row_id_foreign_keys_procedures(self):
        self.sql("create table customer (id int primary key, code nvarchar(10) unique, name nvarchar(40))")
        self.sql("create table invoice (no int primary key, customer_id int references customer(id), note text)")
        self.sql("create index ix_invoice_note on invoice(note)")
        stats = [(r.index_name, r.non_unique, r.column_name) for r in self.cur.statistics("customer") if r.type]
        self.assertEqual(stats, [("PK_customer", 0, "id"), ("UQ_customer_code", 0, "code")])
        stats = [(r.index_name, r.non_unique) for r in self.cur.statistics("invoice") if r.type]
        self.assertEqual(stats, [("PK_invoice", 0), ("ix_invoice_note", 1)])
        self.assertEqual([r.column_name for r in self.cur.rowIdColumns("orders")], ["id", "line"])
        fks = [(r.pktable_name, r.pkcolumn_name, r.fktable_name, r.fkcolumn_name)
               for r in self.cur.foreignKeys(foreignTable="invoice")]
        self.assertEqual(fks, [("customer", "id", "invoice", "customer_id")])
        self.assertEqual(sorted(r.procedure_name for r in self.cur.procedures()), ["ArchiveOld;1", "GetOrders;1"])

    def test_bad_procedure_argument_is_an_error_not_a_lost_connection(self):
        self.assertOdbcError(lambda: self.sql("exec sp_lock 'not a number'"), "42000", 50000,
                             "could not handle the request")
        self.assertEqual(len(self.sql("sp_lock").fetchall()), 2)

    def test_unknown_procedure(self):
        self.assertOdbcError(lambda: self.sql("exec sp_nothing 1"), "42000", 2812,
                             "Could not find stored procedure 'sp_nothing'.")


class LifecycleTests(ServerTestCase):
    def test_sigterm_with_a_client_connected_exits_cleanly(self):
        other = self.server.connect(autocommit=False)
        other.cursor().execute("select 1").fetchall()
        self.assertEqual(self.server.stop(), 0)
        self.assertLogContains("stopped")
        with self.assertRaises(pyodbc.Error):
            other.cursor().execute("select 1").fetchall()
        other.close()

    def test_prelogin_on_a_raw_socket_says_encryption_not_supported(self):
        self.assertFalse(os.path.exists(self.server.port_file + ".tmp"))
        # VERSION (6 bytes) and ENCRYPTION (1 byte: ENCRYPT_ON) options, then the terminator
        options = struct.pack(">BHH", 0, 11, 6) + struct.pack(">BHH", 1, 17, 1) + b"\xff"
        payload = options + bytes([11, 0, 0, 0, 0, 0]) + b"\x01"
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=10) as sock:
            sock.sendall(struct.pack(">BBHHBB", 0x12, 1, len(payload) + 8, 0, 1, 0) + payload)
            reply = b""
            while len(reply) < 8 or len(reply) < struct.unpack(">H", reply[2:4])[0]:
                chunk = sock.recv(4096)
                self.assertTrue(chunk, "server closed the connection")
                reply += chunk
        self.assertEqual(reply[0], 0x04)
        body = reply[8:]
        pos, found = 0, {}
        while body[pos] != 0xFF:
            token, offset, length = struct.unpack(">BHH", body[pos:pos + 5])
            found[token] = body[offset:offset + length]
            pos += 5
        self.assertEqual(found[1], b"\x02")       # ENCRYPT_NOT_SUP
        self.assertEqual(len(found[0]), 6)


class ConcurrencyTests(ServerTestCase):
    def test_several_connections_at_once(self):
        self.sql("create table c (id int primary key, who int)")
        errors = []

        def worker(n):
            try:
                conn = self.server.connect()
                cur = conn.cursor()
                for i in range(20):
                    cur.execute("insert into c values (?, ?)", n * 1000 + i, n)
                    self.assertEqual(cur.execute("select count(*) from c where who = ?", n).fetchval(), i + 1)
                conn.close()
            except Exception as e:  # reported below
                errors.append(e)

        threads = [threading.Thread(target=worker, args=(n,)) for n in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(120)
        self.assertEqual(errors, [])
        self.assertEqual(self.sql("select count(*) from c").fetchval(), 80)


if __name__ == "__main__":
    unittest.main(verbosity=2)
