#!/usr/bin/env bash
# Every command and option that sonkorac lists for itself has its place in the manual
# page and is offered by the bash completion, and the completion offers each command's
# files by type. A command added to sonkorac without them fails here, naming what is
# missing.
# Usage: check_command_docs.sh SONKORAC MANUAL_PAGE COMPLETION_SCRIPT
set -uo pipefail
sonkorac=$1
manual=$2
completion=$3
source "$(dirname "$0")/checks.sh"

# "  sonkorac NAME USAGE" for each command; sonkorac without arguments exits with 2.
usage=$("$sonkorac" 2>&1 >/dev/null)
[ $? -eq 2 ] || fail "sonkorac without arguments does not exit with code 2"
mapfile -t lines < <(printf '%s\n' "$usage" | sed -n 's/^  sonkorac //p')
[ ${#lines[@]} -gt 0 ] || fail "sonkorac lists no commands"

# The manual page's source writes a minus of an option as \-.
page=$(sed 's/\\-/-/g' "$manual")

source /usr/share/bash-completion/bash_completion || fail "bash-completion is not installed"
source "$completion"
# What the completion offers for the words of a command line, the last one being
# completed; one offer per line.
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _sonkorac sonkorac "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}"
}

commands_offered=$(complete_line sonkorac "")
for line in "${lines[@]}"; do
    command=${line%% *}
    grep -q "^\.SS \"sonkorac $command\b" <<<"$page" || fail "the manual page has no section for '$command'"
    grep -qx "$command" <<<"$commands_offered" || fail "the completion does not offer the command '$command'"
    options_offered=$(complete_line sonkorac "$command" --)
    for option in $(grep -o -- '--[a-z-]*' <<<"$line" | sort -u); do
        # An option is documented in the command's own section, up to the next one.
        section=$(awk -v head=".SS \"sonkorac $command" \
            'index($0, head) == 1 {on = 1; next} /^\.S[SH] / {on = 0} on' <<<"$page")
        grep -q -- "$option\b" <<<"$section" ||
            grep -q "^\.SS \"sonkorac $command .*$option\b" <<<"$page" ||
            fail "the manual page does not describe '$command $option'"
        grep -qx -- "$option" <<<"$options_offered" || fail "the completion does not offer '$command $option'"
    done
done

# Files by type: a song text command offers song texts and folders, not other files.
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
mkdir "$files/folder"
touch "$files/song.stf" "$files/LOUD.STF" "$files/tune.mid" "$files/song.kar" "$files/notes.txt"
cd "$files" || exit 1
offered=$(complete_line sonkorac make "" | sort | tr '\n' ' ')
[ "$offered" = "LOUD.STF folder song.stf " ] || fail "'sonkorac make' offers '$offered', not the song texts and the folder"
offered=$(complete_line sonkorac tracks "" | sort | tr '\n' ' ')
[ "$offered" = "folder song.kar tune.mid " ] || fail "'sonkorac tracks' offers '$offered', not the MIDI and karaoke files"
finish "${#lines[@]} commands documented and completed"
