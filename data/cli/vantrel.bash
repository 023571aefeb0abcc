# bash completion for vantrel

_vantrel()
{
    local cur prev words cword
    _init_completion || return

    local commands="tlds prepare check search generate extract history help"
    local command="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --home) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --home)
            _filedir -d
            return
            ;;
        --list)
            _filedir
            return
            ;;
        --type)
            COMPREPLY=($(compgen -W "two-letter three-letter four-letter full-word-list custom generated yahoo google bing duckduckgo" -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W "tsv csv json" -- "$cur"))
            return
            ;;
        --tld | --slots | --start | --base | --dns-server | --recheck-after)
            return
            ;;
    esac

    local options
    case $command in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--home --version --help" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            fi
            return
            ;;
        help)
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            return
            ;;
        tlds) options="" ;;
        prepare) options="--tld" ;;
        check) options="--list --tld --slots --no-dns --dns-server --recheck-after --format --quiet" ;;
        search) options="--type --start --list --tld --slots --no-dns --dns-server --recheck-after --format --quiet" ;;
        generate) options="--base --no-prefixes --no-suffixes --no-hyphens --tld" ;;
        history) options="--verdict --tld --since --name-like --format" ;;
        extract) options="--browsed --all-tlds"
            if [[ $cur != -* ]]; then
                _filedir
                return
            fi
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --home --help" -- "$cur"))
    fi
} &&
    complete -F _vantrel vantrel
