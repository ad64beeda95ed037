#!/usr/bin/env bash
# Compiler launcher of the clang builds. clang writes string literals in UTF-8 only (it has no
# -fexec-charset=CP932), so a source with Japanese texts is handed to it with every non-ASCII
# character written as octal escapes of its Shift-JIS bytes: the same bytes gcc produces.
# Escapes are only meaningful in literals; in comments they are harmless text. Headers are
# passed as they are, so texts belong in .cpp files.
#   cp932-escape.sh <compiler> <arguments...> -o <object> -c <source>
set -u
args=("$@")
object="" source_index=-1
for ((i = 1; i < ${#args[@]}; i++)); do
  case ${args[$i]} in
    -o) object=${args[$((i + 1))]} ;;
    -c) source_index=$((i + 1)) ;;
  esac
done
if [ "$source_index" -lt 0 ] || [ -z "$object" ] || ! LC_ALL=C grep -q '[^[:print:][:space:]]' "${args[$source_index]}"; then
  exec "${args[@]}"
fi
source=${args[$source_index]}
escaped=${object%.*}.cp932.${source##*.}
perl -CS -MEncode -pe 's/([^\x00-\x7F])/my $c = $1; join "", map { sprintf "\\%03o", ord } split \/\/, encode("cp932", $c, Encode::FB_CROAK)/ge' \
  <"$source" >"$escaped" || exit 1
args[$source_index]=$escaped
# Quoted includes still resolve beside the original source.
exec "${args[@]}" -iquote "$(dirname "$source")"
