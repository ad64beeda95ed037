#!/usr/bin/env bash
# Compiler launcher of the clang builds. clang writes string literals in UTF-8 only (it has no
# -fexec-charset=CP932), so a source whose preprocessed text holds Japanese is compiled from
# that text with every non-ASCII character written as octal escapes of its Shift-JIS bytes:
# the bytes gcc produces. Escapes only mean something in literals; in comments they are text.
#   cp932-escape.sh <compiler> <arguments...> -o <object> -c <source>
set -u
args=("$@")
object="" source=""
for ((i = 1; i < ${#args[@]}; i++)); do
  case ${args[$i]} in
    -o) object=${args[$((i + 1))]} ;;
    -c) source=${args[$((i + 1))]} ;;
  esac
done
[ -n "$object" ] && [ -n "$source" ] || exec "${args[@]}"

# 1. Preprocess (this also writes the dependency file the build asked for).
preprocessed=${object%.*}.ii
pre=()
for ((i = 0; i < ${#args[@]}; i++)); do
  case ${args[$i]} in
    -c) pre+=(-E) ;;
    -o) pre+=(-o "$preprocessed"); i=$((i + 1)) ;;
    *) pre+=("${args[$i]}") ;;
  esac
done
"${pre[@]}" || exit 1
if ! LC_ALL=C grep -q '[^[:print:][:space:]]' "$preprocessed"; then
  rm -f "$preprocessed"
  exec "${args[@]}"
fi

# 2. Escape the texts and compile the result, without the dependency options of step 1.
escaped=${object%.*}.cp932.ii
perl -CS -MEncode -pe 's/([^\x00-\x7F])/my $c = $1; join "", map { sprintf "\\%03o", ord } split \/\/, encode("cp932", $c, Encode::FB_CROAK)/ge' \
  <"$preprocessed" >"$escaped" || exit 1
language=c++-cpp-output
case $source in *.c) language=cpp-output ;; esac
compile=()
for ((i = 0; i < ${#args[@]}; i++)); do
  case ${args[$i]} in
    -MD | -MMD) ;;
    -MT | -MF | -MQ) i=$((i + 1)) ;;
    -c) compile+=(-Wno-unused-command-line-argument -c -x "$language" "$escaped"); i=$((i + 1)) ;;
    *) compile+=("${args[$i]}") ;;
  esac
done
"${compile[@]}"
status=$?
rm -f "$preprocessed" "$escaped"
exit $status
