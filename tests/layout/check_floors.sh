#!/usr/bin/env bash
# Each folder of src/ includes only its own floor and the floors below:
#   ground:   model ports text
#   modules:  midi questions scoring practice progress coach (and the ground)
#   sound:    midi/synth, midi/external (midi and the ground), and
#             midi/setup, which chooses among them
#   journal:  the practice journal's file (the ground)
#   app:      the trainer, on top of the core (the modules and the ground)
#   ui:       the window, over everything but the desktop program
#   desktop:  the desktop program and main.cpp, which may include everything
set -u
src=${1:?usage: check_floors.sh SRC_DIR}
cd "$src" || exit 2

ground="model ports text"
modules="$ground midi questions scoring practice progress coach"
allowed() {  # folder of a file -> the folders it may include from
    case "$1" in
        model | ports | text) echo "$ground" ;;
        midi | questions | scoring | practice | progress | coach) echo "$modules" ;;
        midi/synth | midi/external) echo "$ground midi $1" ;;
        midi/setup) echo "$ground midi midi/synth midi/external midi/setup" ;;
        journal) echo "$ground journal" ;;
        app) echo "$modules app" ;;
        ui) echo "$modules app ui midi/synth midi/external midi/setup journal" ;;
        desktop | .) echo "*" ;;
        *) echo "$1 is on no floor" >&2; echo "" ;;
    esac
}

faults=0
while IFS= read -r file; do
    folder=$(dirname "$file")
    may=$(allowed "$folder")
    [[ "$may" == "*" ]] && continue
    while IFS= read -r included; do
        from=$(dirname "$included")
        ok=0
        for allowedFolder in $may; do [[ "$from" == "$allowedFolder" ]] && ok=1; done
        if [[ $ok -eq 0 ]]; then
            echo "$file includes \"$included\", above its floor" >&2
            faults=$((faults + 1))
        fi
    done < <(sed -n 's/^#include "\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

[[ $faults -eq 0 ]] && echo "every folder includes only its own floor and those below"
exit $((faults > 0))
