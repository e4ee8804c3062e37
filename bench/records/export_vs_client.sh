#!/bin/sh
# Times `zep log export` of the whole year (fixed layout) against the database's own client
# writing the same bytes from the same database (the sqlite3 shell for a file, psql for a
# postgresql:// URI), and checks that the files match.
# usage: export_vs_client.sh ZEP_BINARY DB
set -eu
zep=$1
db=$2
out=${TMPDIR:-/tmp}/zep_export_cmp.$$
trap 'rm -f "$out".zep "$out".client' EXIT

pad20="'                    '"
case "$db" in
  postgres*)
    # The same line as the sqlite3 query below, in PostgreSQL's words.
    query="SELECT \"DateTime\" || ' ' || substr(lastname || $pad20, 1, 20) || ' ' ||
      substr(firstname || $pad20, 1, 20) || ' ' || substr(idnum || $pad20, 1, 18) || ' ' ||
      lpad(CAST(CAST(readernum AS INTEGER) AS TEXT), 3, '0') || ' ' ||
      substr(location || $pad20, 1, 15) || ' ' || granted || chr(13) || chr(13)
      FROM log WHERE substr(\"DateTime\", 1, 10) BETWEEN '2005-01-01' AND '2005-12-31'
      ORDER BY \"DateTime\" COLLATE \"C\", rowid"
    client=psql
    set -- psql --no-psqlrc -X -q -A -t -d "$db" -o "$out.client" -c "$query"
    ;;
  *)
    query="SELECT DateTime || ' ' || substr(lastname || $pad20, 1, 20) || ' ' ||
      substr(firstname || $pad20, 1, 20) || ' ' || substr(idnum || $pad20, 1, 18) || ' ' ||
      printf('%03d', CAST(readernum AS INTEGER)) || ' ' || substr(location || $pad20, 1, 15) ||
      ' ' || granted || char(13, 13)
      FROM log WHERE substr(DateTime, 1, 10) BETWEEN '2005-01-01' AND '2005-12-31'
      ORDER BY DateTime, rowid;"
    client="sqlite3 shell"
    set -- sqlite3 -list -noheader "$db" ".output $out.client" "$query"
    ;;
esac

echo "zep log export:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" \
  "$zep" --db "$db" log export "$out.zep" --from 01-01-2005 --to 12-31-2005 --format fixed
echo "$client:"
/usr/bin/time -f "  %e s elapsed, %M KB max resident" "$@"
if cmp -s "$out.zep" "$out.client"; then
  echo "identical: $(wc -c < "$out.zep") bytes"
else
  echo "FILES DIFFER"; cmp "$out.zep" "$out.client" | head -3; exit 1
fi
