# bash completion for kobpack: commands, options, the mod's folders for
# `pack` and .kob archives for the others. Names come back quoted, so a name
# with spaces stays one word, and folders end in "/". After -C DIR, names
# are completed in DIR, where kobpack looks for them.

# The word as the shell will read it: backslashes and quotes taken away, a
# leading ~ made the home folder. Nothing in it is expanded or run.
_kobpack_dequote()
{
    local word=$1 out="" quote="" c i
    for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        if [[ -n $quote ]]; then
            [[ $c == "$quote" ]] && quote="" || out+=$c
        elif [[ $c == '\' ]]; then
            ((i++))
            out+=${word:i:1}
        elif [[ $c == "'" || $c == '"' ]]; then
            quote=$c
        else
            out+=$c
        fi
    done
    [[ $out == "~" || $out == "~/"* ]] && out=$HOME${out:1}
    printf '%s' "$out"
}

# Adds to COMPREPLY the entries below the folder $1 that begin with the word
# being completed: folders with a "/", and with $2 = kob the .kob files too.
_kobpack_names()
{
    local base=$1 kind=$2 prefix path name
    prefix=$(_kobpack_dequote "$cur")
    [[ $prefix == /* ]] && base=""
    while IFS= read -r path; do
        name=${path#"$base"/}
        if [[ -d $path ]]; then
            name+=/
        elif [[ $kind != kob || $path != *.[kK][oO][bB] ]]; then
            continue
        fi
        COMPREPLY+=("$(printf '%q' "$name")")
    done < <(compgen -f -- "${base:+$base/}$prefix")
    # A folder is completed further, so no space after it.
    [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == */ ]] && compopt -o nospace 2>/dev/null
    return 0
}

_kobpack()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local global="-C -v --verbose -q --quiet -h --help --version"
    local command="" workdir=. i
    COMPREPLY=()

    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -C) ((i + 1 < COMP_CWORD)) && workdir=$(_kobpack_dequote "${COMP_WORDS[i+1]}"); ((i++)) ;;
            -o|--against|-j|--jobs) ((i++)) ;;
            pack|list|extract|verify) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
        esac
    done

    case $prev in
        -C) _kobpack_names . ; return ;;
        -o|--against) _kobpack_names "$workdir"; return ;;
        -j|--jobs) return ;;
    esac

    if [[ $cur == -* ]]; then
        local options=""
        case $command in
            pack) options="-c --compress -j --jobs --fresh --all-folders --all-levels --any-folder" ;;
            extract) options="-o" ;;
            verify) options="--against" ;;
        esac
        COMPREPLY=($(compgen -W "$global $options" -- "$cur"))
        return
    fi

    case $command in
        "") COMPREPLY=($(compgen -W "pack list extract verify" -- "$cur")) ;;
        pack) _kobpack_names "$workdir/.." ;; # NAME is a folder below the mod root
        *) _kobpack_names "$workdir" kob ;;
    esac
}
complete -F _kobpack kobpack
