#!/usr/bin/env bash
# Checks every #include of app/, fnc/ and cli/ against the floors below: a folder includes its
# own files and the folders its row names, nothing else. The rows read bottom-up as the
# architecture; the table itself must stay free of cycles. The library (fnc) links nothing of
# the program: of app/platform it uses header-only rules (code_page_932.h), and anything more
# fails CARDOFNC.DLL's link. Prints each offending include as file:line and exits 1.
#
#   tools/check-layers.sh [ROOT]     (ROOT defaults to this checkout)
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

# folder          may include
table='
app/platform
app/resources
app/controls      app/platform app/resources
app/list          app/platform
app/url           app/platform
app/text          app/platform
app/net           app/url app/resources app/platform
app/scan          app/url app/text app/platform
app/receive       app/url app/text app/platform
app/settings      app/export app/net app/receive app/list app/controls app/resources app/platform
app/export        app/net app/url app/text app/list app/platform fnc
app/generators    app/settings app/list app/controls app/resources app/platform fnc
app/extract       app/scan app/net app/url app/text app/settings app/list app/controls app/resources app/platform
app/check         app/net app/url app/settings app/list app/controls app/resources app/platform
app/editing       app/settings app/list app/controls app/resources app/platform
app/info          app/list app/controls app/resources app/platform fnc
app/shell         app/generators app/extract app/check app/editing app/info app/settings app/export app/scan app/net app/receive app/url app/text app/list app/controls app/resources app/platform fnc
fnc               app/platform
cli               app/generators app/extract app/check app/export app/receive app/scan app/net app/url app/text app/list app/platform app/resources fnc
'

declare -A allowed=()
edges=""
while read -r folder rest; do
  [[ -z "$folder" ]] && continue
  allowed[$folder]=" $rest "
  for to in $rest; do edges+="$folder $to"$'\n'; done
done <<<"$table"

if ! printf '%s' "$edges" | tsort >/dev/null 2>&1; then
  echo "check-layers: the table has a cycle:"
  printf '%s' "$edges" | tsort 2>&1 >/dev/null | sed 's/^/  /'
  exit 1
fi

# The folder a path belongs to: app/<subsystem>, fnc or cli.
folder_of() {
  case $1 in
    app/*/*) local rest=${1#app/}; echo "app/${rest%%/*}" ;;
    fnc/* | cli/*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

bad=0
checked=0
cd "$root" || exit 1
while IFS= read -r file; do
  from=$(folder_of "$file")
  if [[ -z "${allowed[$from]+x}" ]]; then
    echo "$file: its folder $from has no row in the table"
    bad=$((bad + 1))
    continue
  fi
  while IFS=: read -r line target; do
    to=$(folder_of "$target")
    [[ -z "$to" || "$to" == "$from" ]] && continue
    checked=$((checked + 1))
    if [[ "${allowed[$from]}" != *" $to "* ]]; then
      echo "$file:$line: includes $target, but $from may include only:${allowed[$from]:- nothing outside itself}"
      bad=$((bad + 1))
    fi
  done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
    sed -E 's/^([0-9]+):[^"]*"([^"]*)".*/\1:\2/')
done < <(find app fnc cli -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

echo "layers: $checked includes across folders checked, $bad outside the table"
((bad == 0))
