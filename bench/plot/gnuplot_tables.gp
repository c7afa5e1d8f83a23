# gnuplot draws the benchmark's 20 tables as the plotter does: column 4 ("2m") against column 1
# ("f"), log-log, onto a PNG of the graph window's size.
# Run as: gnuplot -e "dir='DIR'; out='FILE.png'; term='png'" gnuplot_tables.gp
eval sprintf("set terminal %s size 761,471", term)
set output out
set logscale xy
plot for [i=1:20] sprintf('%s/tabela%02d.tab', dir, i) using 1:4 with lines notitle
