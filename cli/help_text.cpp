// The texts of --help and --version.
#include <string>

#include "options.h"
#include "orvane/messages.h"
#include "orvane_version.h"

namespace orvane::cli {

std::string HelpText() {
  return R"(Usage: orvane-cli [OPTION]... COMMAND FILE...
Converts pulse files (.spf) to text files and back, checks and compares them,
shows the figures of their records, and shows or sets the pulse power of their
T records. Runs the same engine as the desktop program Tessary.

Commands:
  to-ascii FILE...          convert each pulse file to text: BASE.pfh and one
                              file per record (BASE.T0, BASE.R0, BASE.I0, ...)
  from-ascii FILE...        build each pulse file BASE.spf from its text files
  power FILE                print the pulse power of every T record: its GAIN
                              in hundredths, each value followed by a blank
  power FILE VALUE...       set the pulse power of T records 0, 1, ... in
                              order (clamped to -100..100; values beyond the
                              last T record are ignored); each record is
                              written and sealed by itself; prints the status
  check FILE...             tell whether each file is a valid pulse file:
                              magic number, offset table inside the file,
                              zero checksum (prints "FILE: OK" for each);
                              an existing BASE.pfh named so is a text set:
                              read as from-ascii would, nothing written,
                              "FILE: OK" when no line gives a warning
  info FILE                 print the header fields, the length, the record
                              counts and one line per record: kind, number,
                              offset, SIZE and DESC (several FILEs with --json)
  stats FILE [RECORD]...    print the figures of every record, or of the
                              RECORDs named (T0, R2, I1, ...): sample count,
                              minimum, maximum, mean, RMS, exact sum (T, I),
                              NaN and infinite samples (R), samples at -32768
                              and 32767 (T, I); the figures of reals cover
                              their finite samples, "nan" when there is none
  diff FILE1 FILE2          print the header fields (file and records) that
                              differ, as "< " FILE1's and "> " FILE2's value,
                              the records found in one file only, and for
                              each record of both: differing sample counts,
                              and how many samples differ, the first of them
                              and the largest difference; nothing when equal
  repair FILE -o OUT        write OUT: FILE with one seal word appended, so
                              that its checksum is zero again; only for a
                              file whose one fault is its checksum (a valid
                              FILE is copied unchanged); prints what was wrong
  salvage FILE -o OUT       write OUT: a new sealed pulse file of every record
                              that lies whole inside the damaged FILE; prints
                              each record dropped and why, and the records
                              whose number changed
                            repair and salvage never change FILE and refuse
                              an OUT that is FILE by any name or link

FILE is a name as typed into the program's file name box: a trailing ".spf"
or ".pfh" (exact case) is removed to give BASE, and the pulse file is always
BASE.spf. So data, data.spf and data.pfh name the same files (but check
BASE.pfh checks the text set when that file exists).

Options:
  --no-headers              text files hold bare values, one per line
                              (to-ascii, from-ascii, check BASE.pfh; default:
                              labelled lines such as "SIZE: 10")
  --strict                  from-ascii: refuse text that gives any warning
                              before anything is written (status 1)
  -o DIR, --output-dir DIR  to-ascii, from-ascii: write the new files into
                              the folder DIR, which must exist, named by the
                              base name without its folder (the input is read
                              from where FILE names it)
  -o OUT, --output OUT      repair, salvage: the file to write
  --keep-partial            to-ascii: put each text file in place as soon as
                              it is written, so that a failing run leaves the
                              files it got (default: the text files of a run
                              replace the old ones together, only when the
                              whole run succeeded)
  --exact                   to-ascii: write every real with the digits that
                              give back its bits (header reals with up to nine
                              significant digits where six decimals do not do,
                              R samples with nine, NaN payloads as nan(0xM)),
                              in the same line shapes; from-ascii reads it as
                              it is, no option needed
  -j N, --jobs N            convert or check up to N files at once
                              (default: the number of cores); the output of
                              each file is printed whole, in the order given
  --trace                   print every status message as "status: TEXT" and
                              every progress position as "progress: N", in
                              order, on standard output (to-ascii, from-ascii,
                              power); with several files, each file's lines
                              follow a line "file: FILE"
  --json                    info, check, power (reading), stats, diff,
                              repair, salvage: print JSON instead, one
                              document per FILE, each on one line (stats and
                              diff: one indented document); reals as the
                              shortest text that reads back to the same
                              bits, NaN and infinities as the strings "nan",
                              "inf" and "-inf"; the schema: man orvane-cli
  --tolerance X             diff: samples a and b differ when |a - b| > X
                              (default 0); samples with the same bits never
                              differ (a NaN equals a NaN of the same bits), a
                              NaN and any other value differ by infinity
  -q, --quiet               print nothing but results and error messages: no
                              "OK" lines, no status after power, no progress
  -h, --help                print this help and exit
  --version                 print the version and exit
  --                        end of options: every later word is a FILE or VALUE

A VALUE is an optionally signed whole number such as 50 or -20; anything else
("10.5", "10-20") refuses the whole command and nothing is written. Words
beginning with "-" and a digit are values, not options.

While a run goes on and standard error is a terminal, its progress is shown
there: files done, megabytes done of the total, percent, speed and time left.
A failing run's messages go to standard error as "orvane-cli: FILE: MESSAGE".

What comes back from to-ascii and from-ascii: T and I samples and every whole
number always bit for bit. The default text writes R samples with eight
digits and header reals with six decimals, so a real that needs more comes
back rounded, and a NaN comes back without its payload; to-ascii names each
such record on standard error as "orvane-cli: warning: BASE.R1: ...". With
--exact every value comes back bit for bit, except a text field that holds a
"#" (the import drops it and the rest of its line), a line end or all 80
characters (the import keeps 79). A text field comes back padded with blanks
to 79 characters and a NUL, so a pulse file whose text fields are so comes
back byte for byte.

from-ascii warns there of every line of text that does not fully match its
field, at most 20 a file: "orvane-cli: warning: FILE:LINE:COLUMN: FIELD: what
was found, what was expected, what was stored", e.g. data.T2:5:7: GAIN: "0,25"
is not a real number; stored 0. Warnings change neither the pulse file nor
the exit status.
Ctrl-C (SIGINT, SIGTERM, SIGHUP) removes the run's temporary files, leaves
every file that existed before as it was and exits with 128 + the signal.

Exit status:
  0  every run ended with ")" +
         std::string(MessageFormat(Failure::None)) + R"(" (check: every file is valid;
       power: the values were shown or set; diff: the files are equal
       within the tolerance)
  1  some run did not (diff: the files differ)
  2  usage error (diff: also a FILE that cannot be read or is not a
       valid pulse file)
  128 + N  ended by signal N (130: Ctrl-C)

Examples:
  orvane-cli to-ascii data.spf           writes data.pfh, data.T0, ...
  orvane-cli from-ascii data.pfh         builds data.spf from those files
  orvane-cli check data.pfh              checks those files, writes nothing
  orvane-cli -j 8 to-ascii --no-headers *.spf
  orvane-cli power data                  prints e.g. "50 -20 100 "
  orvane-cli power data 50 -20 100       sets T records 0, 1 and 2
  orvane-cli stats --json data T0 R1     prints the figures of T0 and R1
  orvane-cli diff --tolerance 2 old new  compares old.spf with new.spf
  orvane-cli check --json *.spf          one line of JSON per file
  orvane-cli salvage cut.spf -o kept.spf keeps every whole record of cut.spf
  orvane-cli -o /tmp/out to-ascii /archive/data.spf
                                         writes /tmp/out/data.pfh, ...
)";
}

std::string VersionText() {
  return std::string("orvane-cli (" ORVANE_PRODUCT_NAME ") " ORVANE_FILE_VERSION "\n" ORVANE_FILE_DESCRIPTION
                     "\n" ORVANE_LEGAL_COPYRIGHT "\n");
}

}  // namespace orvane::cli
