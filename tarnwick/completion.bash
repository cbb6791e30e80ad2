# bash completion for tarnwick                                   -*- shell-script -*-
# Installed as share/bash-completion/completions/tarnwick, where bash-completion loads it the first
# time tarnwick is completed.

_tarnwick()
{
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
        --algorithm)
            COMPREPLY=($(compgen -W 'convolutional block' -- "$cur"))
            return
            ;;
        --direction)
            COMPREPLY=($(compgen -W 'interleaver deinterleaver' -- "$cur"))
            return
            ;;
        --memory)
            COMPREPLY=($(compgen -W 'internal external' -- "$cur"))
            return
            ;;
        --set)
            # The keys the .cnx stores the settings under, and the short names of the five numbers;
            # the value follows the '=' at once.
            COMPREPLY=($(compgen -W 'CONVOLUTIONAL= BLOCK= BLOCK_CONTINOUS= INTERLEAVER=
                DEINTERLEAVER= INTERNAL_DPRAM= EXTERNAL_DPRAM= SYMBOL_WIDTH= CHARACTERISTIC_I=
                CHARACTERISTIC_J= NUMBER_OF_SYMBOL_PER_CODEWORD= NUMBER_OF_BURST_ERROR=
                I= J= W= N= B=' -- "$cur"))
            [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
            return
            ;;
        --simulator)
            COMPREPLY=($(compgen -W 'ghdl iverilog verilator' -- "$cur"))
            return
            ;;
        --device)
            COMPREPLY=($(compgen -W 'lp384 lp1k lp4k lp8k hx1k hx4k hx8k up3k up5k u1k u2k u4k' -- "$cur"))
            return
            ;;
        --package)
            COMPREPLY=($(compgen -W 'bg121 cb81 cb121 cb132 cm36 cm49 cm81 cm121 cm225 ct256 qn32 qn84 sg48
                swg16tr tq144 uwg30 vq100' -- "$cur"))
            return
            ;;
        --zorvex)
            _filedir
            return
            ;;
        --svg)
            _filedir svg
            return
            ;;
        -p | --pages | -x | --corner-x | -y | --corner-y | --lock-timeout | --simulate-timeout | --freq | --seed)
            # A number: nothing to offer.
            return
            ;;
    esac
    $split && return

    # After "--" every word is the design file.
    local i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then
            _tarnwick_designs --
            return
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-n --new -silent --silent -symbol --symbol -p --pages -x
            --corner-x -y --corner-y --zorvex --set --algorithm --direction --memory --json --svg
            --no-design-files --lock-timeout --simulate --simulate-only --simulator --testbench --simulate-timeout --synthesize
            --device --package --freq --seed --progress --help --version --' \
            -- "$cur"))
        return
    fi
    _tarnwick_designs
}

# Design files (.vhd, .v, .tdf) and folders. The wizard takes the extensions in small letters only,
# so the capital ones that _filedir also offers are left out; so is a name starting with '-', an
# option to tarnwick, unless it comes after "--" (the argument $1).
_tarnwick_designs()
{
    _filedir '@(vhd|v|tdf)'
    local i
    for i in "${!COMPREPLY[@]}"; do
        if [[ ${COMPREPLY[i]} == *.@(VHD|V|TDF) && ! -d ${COMPREPLY[i]} ]] ||
            [[ ${1-} != -- && ${COMPREPLY[i]} == -* ]]; then
            unset -v 'COMPREPLY[i]'
        fi
    done
    COMPREPLY=("${COMPREPLY[@]}")
}

complete -F _tarnwick tarnwick
