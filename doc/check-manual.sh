#!/usr/bin/env bash
# The rendered manual: a PDF of several pages whose text is the Russian source's, pictures and
# all (the page with the channel table of each model).
set -euo pipefail
pdf=$1
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[[ $pages -ge 8 ]] || { echo "only $pages pages" >&2; exit 1; }
text=$(pdftotext -enc UTF-8 "$pdf" -)
for phrase in "Инструкция по программированию" "Сообщения программы" "Радиостанция не найдена" \
              "tessel-cli"; do
    grep -q "$phrase" <<<"$text" || { echo "missing: $phrase" >&2; exit 1; }
done
images=$(pdfimages -list "$pdf" | tail -n +3 | wc -l)
[[ $images -ge 15 ]] || { echo "only $images pictures" >&2; exit 1; }
