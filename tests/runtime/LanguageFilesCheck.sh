#!/usr/bin/env bash
# Every language file has exactly the keys of English.lng, each with a text, the same %1/%2
# placeholders, and a name matching its file name; English.lng matches the texts built into
# Setup.exe (LanguageStrings.cpp), so the fallback and the file never drift apart.
#   LanguageFilesCheck.sh LANGUAGES_DIR LANGUAGE_STRINGS_CPP
set -euo pipefail
dir=$1
builtin=$2
failures=0
keys() { tr -d '\r' < "$1" | awk '/^\[/{s=$0} s=="[Strings]" && /=/{print substr($0,1,index($0,"=")-1)}' | sort; }
text() { tr -d '\r' < "$1" | awk -v k="$2" 'index($0, k "=")==1 {print substr($0, length(k)+2)}'; }
reference=$(keys "$dir/English.lng")
# Every key=text line of a file's [Strings], as "key<TAB>text".
entries() { tr -d '\r' < "$1" | awk '/^\[/{s=$0; next} s=="[Strings]" && /=/{i=index($0,"="); print substr($0,1,i-1) "\t" substr($0,i+1)}'; }
placeholders() { local r=''; [[ $1 == *%1* ]] && r+=1; [[ $1 == *%2* ]] && r+=2; echo "$r"; }
declare -A english
while IFS=$'\t' read -r key value; do english[$key]=$(placeholders "$value"); done < <(entries "$dir/English.lng")
for file in "$dir"/*.lng; do
    name=$(basename "$file" .lng)
    [ "$(keys "$file")" = "$reference" ] || { echo "FAIL: $name: keys differ from English.lng"; diff <(echo "$reference") <(keys "$file") || true; failures=$((failures+1)); }
    # awk reads to the end: leaving early could end tr with SIGPIPE, which pipefail would report.
    got=$(tr -d '\r' < "$file" | awk -F= '$1=="Name" && !seen {print $2; seen=1}')
    [ "$got" = "$name" ] || { echo "FAIL: $name: Name=$got"; failures=$((failures+1)); }
    while IFS=$'\t' read -r key value; do
        [ -n "$value" ] || { echo "FAIL: $name: $key is empty"; failures=$((failures+1)); }
        [ "$(placeholders "$value")" = "${english[$key]-}" ] ||
            { echo "FAIL: $name: $key has other placeholders than English"; failures=$((failures+1)); }
    done < <(entries "$file")
done
# The folder page's button reads "Install": its text must say so, not "Next".
for file in "$dir"/*.lng; do
    button=$(text "$file" ButtonInstall | tr -d '&')
    grep -q "$button" <<<"$(text "$file" FolderPrompt)" ||
        { echo "FAIL: $(basename "$file" .lng): FolderPrompt does not name the button \"$button\""; failures=$((failures+1)); }
done
# The built-in English table: {L"Key", L"Text"}, with C escapes for "\n" and "\\".
while IFS=$'\t' read -r key value; do
    [ "$(text "$dir/English.lng" "$key")" = "$value" ] || { echo "FAIL: built-in $key differs from English.lng"; failures=$((failures+1)); }
done < <(sed -n 's/^ *{L"\([A-Za-z]*\)", L"\(.*\)"},$/\1\t\2/p' "$builtin" | sed 's/\\\\/\\/g')
[ "$(sed -n 's/^ *{L"\([A-Za-z]*\)", L".*"},$/\1/p' "$builtin" | sort)" = "$reference" ] ||
    { echo "FAIL: the built-in keys differ from English.lng"; failures=$((failures+1)); }
[ "$failures" -eq 0 ] && echo "PASS: $(ls "$dir"/*.lng | wc -l) language files" || exit 1
