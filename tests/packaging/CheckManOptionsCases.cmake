# cmake -DCHECK=CheckManOptions.cmake -DWORK=dir -P CheckManOptionsCases.cmake
# CheckManOptions.cmake on small pages and help texts written here: each row says what the page's
# option paragraphs and synopsis are and what the check must say about them ("" for: it passes).

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# A help text in the programs' form: option lines at two spaces, their text further in, a
# continuation line that mentions another option without being one.
set(help [=[
Aufruf: probe [DATEI]
        probe --check DATEI

Optionen:
  --check DATEI  prüft die Datei;
                 --remove ZEILE DATEI ist hier nur erwähnt.
  --pdf AUSGABE.pdf ZEILE DATEI
                 schreibt ein Datenblatt.
  -h, --help     zeigt diese Hilfe.
  -v, --version  zeigt die Version.
]=])
set(short_help [=[
Optionen:
  -x             kurz.
  -h, --help     zeigt diese Hilfe.
]=])

set(synopsis [=[
.B probe \-\-check
.I DATEI
.br
.B probe \-\-pdf
.I AUSGABE.pdf ZEILE DATEI
.br
.B probe
.RB [ \-h | \-\-help ]
.RB [ \-v | \-\-version ]
]=])
set(check [=[
.TP
.BI \-\-check " DATEI"
Prüft die Datei.
]=])
set(pdf [=[
.TP
.BI \-\-pdf " AUSGABE.pdf ZEILE DATEI"
Schreibt das Datenblatt, in Worten, die über eine Zeile hinaus gehen, damit der Absatz umbricht
und sein Text wie bei den Seiten der Programme auf mehreren Zeilen steht.
]=])
set(help_entry [=[
.TP
.BR \-h ", " \-\-help
Zeigt eine kurze Hilfe.
]=])
set(version_entry [=[
.TP
.BR \-v ", " \-\-version
Zeigt die Version.
]=])

set(rows)
# row(name help synopsis options german expected)
macro(row name row_help row_synopsis row_options german expected)
    list(APPEND rows "${name}")
    set("help_${name}" "${row_help}")
    set("synopsis_${name}" "${row_synopsis}")
    set("options_${name}" "${row_options}")
    set("german_${name}" "${german}")
    set("expected_${name}" "${expected}")
endmacro()

row(all_described "${help}" "${synopsis}" "${check}${pdf}${help_entry}${version_entry}" ON "")
row(all_described_english "${help}" "${synopsis}"
    "${check}.TP\n.BI \\-\\-pdf \" OUT.pdf LINE FILE\"\nWrites.\n${help_entry}${version_entry}" OFF "")
string(REPLACE ".TP\n" "" pdf_run_in "${pdf}")
row(run_into_the_paragraph_before "${help}" "${synopsis}" "${check}${pdf_run_in}${help_entry}${version_entry}" ON
    "--pdf has no paragraph of its own")
row(missing "${help}" "${synopsis}" "${check}${pdf}${help_entry}" ON "--version|-v has no paragraph of its own")
row(not_in_the_help "${help}" "${synopsis}"
    "${check}${pdf}${help_entry}${version_entry}.TP\n.B \\-\\-all\nAlles.\n" ON
    "the paragraph \"--all\" describes an option that")
row(two_entries_in_one_tag "${help}" "${synopsis}"
    "${check}${pdf}.TP\n.BR \\-h \", \" \\-\\-help \", \" \\-v\nHilfe.\n${version_entry}" ON
    "the paragraph \"-h, --help, -v\" runs together the options --help|-h and --version|-v")
row(short_name_left_out "${help}" "${synopsis}" "${check}${pdf}.TP\n.B \\-\\-help\nHilfe.\n${version_entry}" ON
    "the paragraph \"--help\" names --help, the help text names --help|-h")
row(twice "${help}" "${synopsis}" "${check}${check}${pdf}${help_entry}${version_entry}" ON "--check has two paragraphs")
row(argument_missing "${help}" "${synopsis}"
    "${check}.TP\n.BI \\-\\-pdf \" ZEILE DATEI\"\nSchreibt.\n${help_entry}${version_entry}" ON
    "the paragraph \"--pdf ZEILE DATEI\" gives 2 arguments, the help text 3")
row(argument_in_english_on_the_german_page "${help}" "${synopsis}"
    "${check}.TP\n.BI \\-\\-pdf \" OUT.pdf LINE FILE\"\nSchreibt.\n${help_entry}${version_entry}" ON
    "names its arguments otherwise than the help text: AUSGABE.pdf ZEILE DATEI")
string(REPLACE ".B probe \\-\\-pdf\n.I AUSGABE.pdf ZEILE DATEI\n.br\n" "" synopsis_without_pdf "${synopsis}")
row(synopsis_without_an_option "${help}" "${synopsis_without_pdf}" "${check}${pdf}${help_entry}${version_entry}" ON
    "the synopsis does not name --pdf")
row(synopsis_with_an_unknown_option "${help}" "${synopsis}.br\n.B probe \\-\\-all\n"
    "${check}${pdf}${help_entry}${version_entry}" ON "the synopsis names --all, which the help text does not list")
row(short_tag_beside_its_text "${short_help}" ".B probe\n.RB [ \\-x ]\n.RB [ \\-h | \\-\\-help ]\n"
    ".TP\n.B \\-x\nKurz.\n${help_entry}" OFF "")
row(no_options_section "${help}" "${synopsis}" "" ON "no option paragraphs under OPTIONS / OPTIONEN")

set(failures)
foreach(name IN LISTS rows)
    set(dir "${WORK}/${name}")
    file(MAKE_DIRECTORY "${dir}")
    file(WRITE "${dir}/help.txt" "${help_${name}}")
    if(german_${name})
        set(titles "NAME;ÜBERSICHT;OPTIONEN")
        set(german -DGERMAN=ON)
    else()
        set(titles "NAME;SYNOPSIS;OPTIONS")
        set(german)
    endif()
    list(GET titles 1 synopsis_title)
    list(GET titles 2 options_title)
    set(options_section "")
    if(NOT options_${name} STREQUAL "")
        set(options_section ".SH ${options_title}\n${options_${name}}")
    endif()
    file(WRITE "${dir}/probe.1" ".TH PROBE 1 2026-12-07 \"Probe 1\" \"Prüfung\"\n.SH NAME\n"
        "probe \\- eine Prüfung\n.SH ${synopsis_title}\n${synopsis_${name}}${options_section}"
        ".SH \"SEE ALSO\"\n.BR man (1)\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DHELP=${dir}/help.txt -DPAGE=${dir}/probe.1 ${german} -P ${CHECK}
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE result)
    set(said "${out}${err}")
    string(REGEX REPLACE "\n *" " " said_flat "${said}")
    if(expected_${name} STREQUAL "")
        if(NOT result EQUAL 0)
            list(APPEND failures "${name}: expected to pass, but:\n${said}")
        endif()
    elseif(result EQUAL 0)
        list(APPEND failures "${name}: expected \"${expected_${name}}\", but it passed:\n${said}")
    else()
        string(FIND "${said_flat}" "${expected_${name}}" at)
        if(at EQUAL -1)
            list(APPEND failures "${name}: expected \"${expected_${name}}\", but:\n${said}")
        endif()
    endif()
endforeach()

list(LENGTH rows count)
if(failures)
    list(JOIN failures "\n" text)
    message(FATAL_ERROR "${text}")
endif()
message(STATUS "${count} pages checked as expected")
