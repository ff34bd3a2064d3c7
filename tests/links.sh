#!/bin/sh
# Every relative link of the README and the docs pages, and every page the
# code names (docs/NAME.md or README.md, and a section after a #), leads to a
# file that exists and, after a #, to a heading of that file, as GitHub names
# headings: lower case, punctuation dropped, spaces as hyphens. Prints each
# broken link, and how many links it checked.
cd "$1" || exit 1
# Each link as "where folder link": a page's links are relative to its
# folder, the code's to the project's root.
links() {
  for page in README.md docs/*.md; do
    grep -o '](\([^)]*\))' "$page" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*:' |
      sed "s|^|$page $(dirname "$page") |"
  done
  git ls-files src tests bench packaging CMakeLists.txt | grep -v '\.md$' |
    xargs grep -oE '(docs/[a-z_]+|README)\.md(#[a-z0-9-]+)?' | sed 's|:| . |'
}
links | while read -r page folder link; do
  file=${link%%#*} anchor=${link#*#}
  target=$folder/${file:-$(basename "$page")}
  { [ -e "$target" ] && { [ "$anchor" = "$link" ] || sed -n 's/^#\{1,6\} //p' "$target" | tr 'A-Z' 'a-z' |
    sed 's/[^a-z0-9 _-]//g; s/ /-/g' | grep -qx -- "$anchor"; }; } && echo link || echo "broken: $page: $link"
done | sort | uniq -c
# No sentence of the README or the docs runs over 40 words (tables,
# headings and code aside; each item of a list a sentence of its own).
for page in README.md docs/*.md; do
  awk -v page="$page" 'BEGIN { RS = "" } /^```/ { next } { $0 = "\n" $0; gsub(/\n[|#][^\n]*/, ""); gsub(/\n *[-*] /, ". ")
    gsub(/\n/, " ")
    for (i = split($0, part, /[.!?][)"*]* +/); i > 0; i--)
      if (split(part[i], words, /[ \n]+/) > 42) print "long sentence: " page ": " substr(part[i], 1, 60) }' "$page"
done
