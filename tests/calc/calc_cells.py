"""Reads the cells of the sheet a running LibreOffice Calc shows, through its own
Python bridge, or ends that Calc.

    calc_cells.py PIPE read SECONDS [TITLE]
                                      waits until the sheet holds cells and has
                                      not changed for a moment, then prints one
                                      line per filled cell: row, column, T or V,
                                      the text or the value (tab-separated)
    calc_cells.py PIPE once [TITLE]   prints the cells as they are now
    calc_cells.py PIPE watch SECONDS [TITLE]
                                      for that long, prints the cells each time
                                      they change: a line "@ TIME" (the
                                      monotonic clock's seconds once they were
                                      read), the cells as read prints them, and
                                      a line "."; a line "~" each time it
                                      looked and nothing had changed
    calc_cells.py PIPE titles         prints the title of each spreadsheet open
    calc_cells.py PIPE quit           closes the sheets unsaved and ends Calc

With a TITLE, the spreadsheet of that title; else the first one.
"""
import sys
import time

import uno


def desktop(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
    return ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)


def sheet_documents(desk):
    found = []
    docs = desk.getComponents().createEnumeration()
    while docs.hasMoreElements():
        doc = docs.nextElement()
        if doc.supportsService("com.sun.star.sheet.SpreadsheetDocument"):
            found.append(doc)
    return found


def sheet_document(desk, title=None):
    for doc in sheet_documents(desk):
        if title is None or doc.Title == title:
            return doc
    return None


def cells(doc):
    sheet = doc.Sheets.getByIndex(0)
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    last_row = cursor.RangeAddress.EndRow
    last_col = cursor.RangeAddress.EndColumn
    lines = []
    for r in range(last_row + 1):
        for c in range(last_col + 1):
            cell = sheet.getCellByPosition(c, r)
            kind = cell.getType().value
            if kind == "EMPTY":
                continue
            if kind == "VALUE":
                lines.append("%d\t%d\tV\t%.17g" % (r, c, cell.getValue()))
            else:
                lines.append("%d\t%d\tT\t%s" % (r, c, cell.getString()))
    return lines


def values(doc):
    # One call for the whole used area: a reader that asks cell by cell would
    # hold Calc up while it takes the keys.
    sheet = doc.Sheets.getByIndex(0)
    cursor = sheet.createCursor()
    cursor.gotoEndOfUsedArea(False)
    end = cursor.RangeAddress
    rows = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow).getDataArray()
    lines = []
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if isinstance(value, float):
                lines.append("%d\t%d\tV\t%.17g" % (r, c, value))
            elif value != "":
                lines.append("%d\t%d\tT\t%s" % (r, c, value))
    return lines


def watch(pipe, seconds, title):
    limit = time.monotonic() + seconds
    doc, seen = None, None
    while time.monotonic() < limit:
        try:
            if doc is None:
                doc = sheet_document(desktop(pipe), title)
            now = values(doc) if doc is not None else []
        except Exception:  # the bridge not listening yet, or busy
            doc = None
            time.sleep(0.1)
            continue
        if now != seen:
            seen = now
            sys.stdout.write("@ %.6f\n" % time.monotonic())
            sys.stdout.write("".join(line + "\n" for line in now) + ".\n")
        else:
            # Unchanged: a reader that stopped reading ends this one here.
            sys.stdout.write("~\n")
        sys.stdout.flush()
        time.sleep(0.02)
    return 0


def main():
    pipe, action = sys.argv[1], sys.argv[2]
    if action == "quit":
        desk = desktop(pipe)
        for doc in sheet_documents(desk):
            doc.setModified(False)
            doc.close(True)
        try:
            desk.terminate()
        except Exception:
            pass  # the bridge goes down with Calc
        return 0
    if action == "watch":
        try:
            return watch(pipe, float(sys.argv[3]), sys.argv[4] if len(sys.argv) > 4 else None)
        except BrokenPipeError:
            return 0  # the reader saw what it waited for
    if action == "titles":
        sys.stdout.write("".join(doc.Title + "\n" for doc in sheet_documents(desktop(pipe))))
        return 0
    if action == "once":
        doc = sheet_document(desktop(pipe), sys.argv[3] if len(sys.argv) > 3 else None)
        sys.stdout.write("".join(line + "\n" for line in (cells(doc) if doc else [])))
        return 0
    limit = time.monotonic() + float(sys.argv[3])
    title = sys.argv[4] if len(sys.argv) > 4 else None
    seen, still_since = None, None
    while time.monotonic() < limit:
        try:
            doc = sheet_document(desktop(pipe), title)
            now = cells(doc) if doc is not None else []
        except Exception:  # the bridge not listening yet, or busy
            time.sleep(0.3)
            continue
        if now and now == seen:
            if time.monotonic() - still_since >= 1.5:
                break
        else:
            seen, still_since = now, time.monotonic()
        time.sleep(0.3)
    sys.stdout.write("".join(line + "\n" for line in (seen or [])))
    return 0


if __name__ == "__main__":
    sys.exit(main())
