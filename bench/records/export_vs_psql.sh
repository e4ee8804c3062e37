#!/bin/sh
# Times `zep log export` of the whole year (fixed layout) from a PostgreSQL database against
# psql writing the same bytes from the same database, and checks that the files match.
# usage: export_vs_psql.sh ZEP_BINARY postgresql://USER@HOST:PORT/DBNAME
set -eu
zep=$1
db=$2
out=${TMPDIR:-/tmp}/zep_export_cmp.$$
trap 'rm -f "$out".zep "$out".psql' EXIT

pad20="'                    '"
query="SELECT \"DateTime\" || ' ' || substr(lastname || $pad20, 1, 20) || ' ' ||
  substr(firstname || $pad20, 1, 20) || ' ' || substr(idnum || $pad20, 1, 18) || ' ' ||
  lpad(CAST(CAST(readernum AS INTEGER) AS TEXT), 3, '0') || ' ' ||
  substr(location || $pad20, 1, 15) || ' ' || granted || chr(13) || chr(13)
  FROM log WHERE substr(\"DateTime\", 1, 10) BETWEEN '2005-01-01' AND '2005-12-31'
  ORDER BY \"DateTime\" COLLATE \"C\", rowid"

echo "zep log export:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" \
  "$zep" --db "$db" log export "$out.zep" --from 01-01-2005 --to 12-31-2005 --format fixed
echo "psql:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" \
  psql --no-psqlrc -X -q -A -t -d "$db" -o "$out.psql" -c "$query"
if cmp -s "$out.zep" "$out.psql"; then
  echo "identical: $(wc -c < "$out.zep") bytes"
else
  echo "FILES DIFFER"; cmp "$out.zep" "$out.psql" | head -3; exit 1
fi
