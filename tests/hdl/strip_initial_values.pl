# Prints a Verilog file without any register's initial value: comments dropped, then every
# declarator of a reg or integer declaration loses its "= value" (a list such as
# "reg a = 1'b0, b = {W{1'b0}};" included).
undef $/;
$_ = <>;
s{/\*.*?\*/}{(my $c = $&) =~ s/[^\n]//g; $c}gse;
s{//[^\n]*}{}g;
s{(?<!localparam )(?<!parameter )\b(reg|integer)\b([^;]*);}{$1 . strip($2) . ';'}ge;
sub strip {
    my ($out, $depth, $skip) = ('', 0, 0);
    for my $c (split //, shift) {
        $depth++ if $c =~ /[(\[{]/;
        $depth-- if $c =~ /[)\]}]/;
        if ($depth == 0 && $c eq '=') { $skip = 1; next; }
        $skip = 0 if $depth == 0 && $c eq ',';
        $out .= $c unless $skip;
    }
    return $out;
}
print;
