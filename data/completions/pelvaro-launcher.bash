# bash completion for pelvaro-launcher                     -*- shell-script -*-

# The profiles of the folder the command line names, or the chosen one, by
# name without ".plist"; names that --list escapes are left out.
_pelvaro_launcher_profiles()
{
    local folder=() i
    for ((i = 1; i < COMP_CWORD - 1; i++)); do
        [[ ${COMP_WORDS[i]} == --folder ]] && folder=(--folder "${COMP_WORDS[i + 1]}")
    done
    local IFS=$'\n' names name
    names=$(pelvaro-launcher --list "${folder[@]}" 2>/dev/null)
    COMPREPLY=()
    while read -r name; do
        [[ -z $name || $name == *\\* ]] && continue
        name=${name%.[pP][lL][iI][sS][tT]}
        [[ $name == "$1"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
    done <<<"$names"
}

_pelvaro_launcher()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    case $prev in
        --start | --show | --diff | --history | --restore | --create-shortcut)
            _pelvaro_launcher_profiles "$cur"
            return
            ;;
        --folder)
            local IFS=$'\n'
            COMPREPLY=($(compgen -d -- "$cur"))
            compopt -o filenames 2>/dev/null
            return
            ;;
    esac
    # The other profile of --diff.
    if ((COMP_CWORD >= 3)) && [[ ${COMP_WORDS[COMP_CWORD - 2]} == --diff && $cur != -* ]]; then
        _pelvaro_launcher_profiles "$cur"
        return
    fi
    COMPREPLY=($(compgen -W '--help --version --list --start --show --diff --history
        --restore --create-shortcut --folder' -- "$cur"))
}
complete -F _pelvaro_launcher pelvaro-launcher
