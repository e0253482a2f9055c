# bash completion for kobpack: commands, options, the mod's folders for
# `pack` and .kob archives for the others.

_kobpack()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local global="-C -v --verbose -q --quiet -h --help --version"
    local command="" workdir=. i

    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -C) workdir=${COMP_WORDS[i+1]}; ((i++)) ;;
            -o|--against|-j|--jobs) ((i++)) ;;
            pack|list|extract|verify) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
        esac
    done

    case $prev in
        -C|-o|--against)
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        -j|--jobs)
            return ;;
    esac

    if [[ $cur == -* ]]; then
        local options=""
        case $command in
            pack) options="-c --compress -j --jobs --fresh --all-folders --all-levels" ;;
            extract) options="-o" ;;
            verify) options="--against" ;;
        esac
        COMPREPLY=($(compgen -W "$global $options" -- "$cur"))
        return
    fi

    case $command in
        "")
            COMPREPLY=($(compgen -W "pack list extract verify" -- "$cur")) ;;
        pack)
            # NAME is a folder below the mod root, ../ of the work folder.
            local root="$workdir/.." folder
            COMPREPLY=()
            while IFS= read -r folder; do
                COMPREPLY+=("${folder#"$root"/}/")
            done < <(compgen -d -- "$root/$cur")
            compopt -o nospace 2>/dev/null ;;
        *)
            COMPREPLY=($(compgen -f -X '!*.kob' -- "$cur") $(compgen -d -- "$cur"))
            compopt -o filenames 2>/dev/null ;;
    esac
}
complete -F _kobpack kobpack
