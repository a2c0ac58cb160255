#!/usr/bin/env bash
# Every relative link in the documents leads somewhere: the file it names
# exists and the anchor after '#' is an id in that file. Checks each .md and
# .html file named, or found under each folder named:
#   bash tests/doc_links.sh README.md CHANGELOG.md docs     (the repository)
#   bash tests/doc_links.sh build/linux-cross/package-test  (an unpacked release)
# A Markdown file is read as the release reads it (pandoc, GitHub's dialect),
# so its anchors are the heading ids pandoc and the forges give. A link from
# an HTML file to an anchor in a Markdown file fails: a browser shows that
# file as text and the anchor leads nowhere.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: doc_links.sh FILE|FOLDER..." >&2; exit 2; }
command -v pandoc >/dev/null || { echo "FAILED: no pandoc to read the Markdown with (scripts/setup installs it)"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The HTML of a document: the file itself, or the Markdown as pandoc makes it.
as_html() {
  case "$1" in
    *.md) pandoc --from gfm --to html5 "$1" ;;
    *) cat "$1" ;;
  esac
}
# The ids in a document, one a line, made once per document.
ids_of() {
  local key
  key="$work/ids.$(printf '%s' "$1" | md5sum | cut -c1-32)"
  [ -e "$key" ] || as_html "$1" | tr "\n" " " | grep -o ' id="[^"]*"' | sed 's/^ id="//; s/"$//' >"$key" || true
  cat "$key"
}
# Undoes the HTML escapes and the %XX escapes a link may carry.
unescape() {
  local text="${1//&amp;/&}"
  text="${text//&quot;/\"}"
  printf '%b' "${text//%/\\x}"
}

documents=()
for arg in "$@"; do
  if [ -d "$arg" ]; then
    while IFS= read -r -d '' file; do documents+=("$file"); done \
      < <(find "$arg" -type f \( -name '*.md' -o -name '*.html' \) -print0 | LC_ALL=C sort -z)
  elif [ -f "$arg" ]; then
    documents+=("$arg")
  else
    echo "FAILED: $arg: no such file or folder"
    exit 1
  fi
done
[ ${#documents[@]} -gt 0 ] || { echo "FAILED: no .md or .html file in $*"; exit 1; }

failures=0
links=0
for document in "${documents[@]}"; do
  folder="$(dirname "$document")"
  while IFS= read -r target; do
    target="$(unescape "$target")"
    # Links with a scheme (https:, mailto:) or to another host are not ours.
    if [[ "$target" =~ ^[A-Za-z][A-Za-z0-9+.-]*: ]] || [[ "$target" == //* ]]; then continue; fi
    links=$((links + 1))
    path="${target%%#*}"
    anchor=""
    [[ "$target" == *"#"* ]] && anchor="${target#*#}"
    if [ -z "$path" ]; then
      linked="$document"
    else
      linked="$folder/$path"
      if [ ! -e "$linked" ]; then
        echo "FAILED: $document: link $target: no file $path"
        failures=$((failures + 1))
        continue
      fi
    fi
    [ -n "$anchor" ] || continue
    if [[ "$document" == *.html && "$linked" == *.md ]]; then
      echo "FAILED: $document: link $target: an anchor in a Markdown file, which a browser shows as text"
      failures=$((failures + 1))
    elif [[ "$linked" != *.md && "$linked" != *.html ]]; then
      echo "FAILED: $document: link $target: an anchor in a file that is no document"
      failures=$((failures + 1))
    elif ! ids_of "$linked" | grep -qxF -- "$anchor"; then
      echo "FAILED: $document: link $target: no id \"$anchor\" in ${path:-this file}"
      failures=$((failures + 1))
    fi
  done < <(as_html "$document" | tr "\n" " " | grep -o ' \(href\|src\)="[^"]*"' | sed 's/^ [a-z]*="//; s/"$//')
done

echo "doc links: ${#documents[@]} documents, $links relative links, $failures leading nowhere"
[ "$failures" -eq 0 ]
