#!/bin/sh
# Times `zep log export` of the whole year (fixed layout) against the sqlite3 shell
# writing the same bytes from the same database, and checks that the files match.
# usage: export_vs_sqlite3.sh ZEP_BINARY DB
set -eu
zep=$1
db=$2
out=${TMPDIR:-/tmp}/zep_export_cmp.$$
trap 'rm -f "$out".zep "$out".sqlite3' EXIT

pad20="'                    '"
query="SELECT DateTime || ' ' || substr(lastname || $pad20, 1, 20) || ' ' ||
  substr(firstname || $pad20, 1, 20) || ' ' || substr(idnum || $pad20, 1, 18) || ' ' ||
  printf('%03d', CAST(readernum AS INTEGER)) || ' ' || substr(location || $pad20, 1, 15) ||
  ' ' || granted || char(13, 13)
  FROM log WHERE substr(DateTime, 1, 10) BETWEEN '2005-01-01' AND '2005-12-31'
  ORDER BY DateTime, rowid;"

echo "zep log export:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" \
  "$zep" --db "$db" log export "$out.zep" --from 01-01-2005 --to 12-31-2005 --format fixed
echo "sqlite3 shell:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" \
  sqlite3 -list -noheader "$db" ".output $out.sqlite3" "$query"
if cmp -s "$out.zep" "$out.sqlite3"; then
  echo "identical: $(wc -c < "$out.zep") bytes"
else
  echo "FILES DIFFER"; cmp "$out.zep" "$out.sqlite3" | head -3; exit 1
fi
