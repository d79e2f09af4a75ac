#!/usr/bin/env bash
# scenario-15.sh — prints the frame benches' scenario: 15 bodies, body 1 of
# mass 8 at the centre, 14 light bodies on circular orbits around it at radii
# 4.2 to 18.5, spread in angle.
echo "nb=15"
printf 'm=8\nx=0 y=0 z=0\nu=0 v=0 w=0\n'
for k in $(seq 2 15); do
  awk -v k="$k" 'BEGIN { r = 2 + 1.1 * k; a = k * 2.4;
    printf "m=0.01\nx=%.6f y=%.6f z=0\nu=%.6f v=%.6f w=0\n", r*cos(a), r*sin(a), -sqrt(8/r)*sin(a), sqrt(8/r)*cos(a) }'
done
