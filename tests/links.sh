#!/bin/sh
# Every relative link of the README and the docs pages names a file that
# exists, and, after a #, a heading of that file, as GitHub names headings:
# lower case, punctuation dropped, spaces as hyphens. Prints each broken
# link, and how many links it checked.
cd "$1" || exit 1
for page in README.md docs/*.md; do
  grep -o '](\([^)]*\))' "$page" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*:' | while read -r link; do
    file=${link%%#*} anchor=${link#*#}
    target=$(dirname "$page")/${file:-$(basename "$page")}
    { [ -e "$target" ] && { [ "$anchor" = "$link" ] || sed -n 's/^#\{1,6\} //p' "$target" | tr 'A-Z' 'a-z' |
      sed 's/[^a-z0-9 _-]//g; s/ /-/g' | grep -qx -- "$anchor"; }; } && echo link || echo "broken: $page: $link"
  done
done | sort | uniq -c
