# bash completion for vantrel

_vantrel()
{
    local cur prev words cword
    _init_completion || return

    local commands="tlds registries prepare check search generate extract history queue work help"
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
        --from)
            return
            ;;
        --tld | --slots | --start | --base | --dns-server | --recheck-after | --timeout | --server | --db | --bind | --lease)
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
        registries) options="--from"
            if [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "update" -- "$cur"))
                return
            fi
            ;;
        prepare) options="--tld" ;;
        check) options="--list --tld --slots --timeout --server --no-dns --dns-server --recheck-after --db --format --quiet --available-only --show-reply" ;;
        search) options="--type --start --list --tld --slots --timeout --server --no-dns --dns-server --recheck-after --db --format --quiet --available-only --show-reply" ;;
        generate) options="--base --no-prefixes --no-suffixes --no-hyphens --tld" ;;
        history) options="--verdict --tld --since --name-like --db --format" ;;
        queue) options="--db --tld --list"
            if [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "add status" -- "$cur"))
                return
            fi
            ;;
        work) options="--tld --slots --timeout --server --no-dns --dns-server --recheck-after --db --format --quiet --available-only --show-reply --bind --lease" ;;
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
