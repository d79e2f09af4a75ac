#!/bin/sh
# help.sh — l'aide d'Orbelune.  Lancé, il l'affiche ; ouvert dans un éditeur
# (menu « Aide »), il se lit tel quel.
cat <<'AIDE'
ORBELUNE — simulateur de gravité
================================

Des points massifs dans un plan, attraction de Newton avec G = 1.
Le corps 1 est le corps central : tout ce qui passe à moins de sa masse
puissance 0.333 de lui (environ 2 pour une masse 8) est absorbé.
Le corps 2 est le seul à recevoir une poussée (touches + et -).
Le calcul démarre en pause : appuyez sur g pour le lancer.

TOUCHES
-------
  g        lance le calcul
  p        met le calcul en pause
  z        recharge le fichier donnees.txt (le calcul reste en pause)
  +        poussée vers l'avant du corps 2, le long de sa vitesse
  -        poussée vers l'arrière du corps 2
           Un appui agit pendant un lot de calcul (50 pas de dt) : avec
           dt = 0.001 (valeur de départ) il change la vitesse de 0.025.
           Plusieurs appuis pendant la pause ne s'ajoutent pas.
  l        éclairage oui / non
  r        vue en rotation : tirez avec la souris pour tourner la scène
  t        vue en translation : tirez avec la souris pour la faire glisser
  v        vol : flèches gauche / droite pour tourner,
           flèches haut / bas pour descendre / monter
  Page préc. / Page suiv.   rapproche / éloigne l'œil
  s        réinstalle l'adaptation de la fenêtre
  F        plein écran
  Q        quitte (sans confirmation)

MENU (bouton droit de la souris)
--------------------------------
  Cas Initiaux                 les quinze scénarios ci-dessous
  Edition du fichier donnees   ouvre donnees.txt ; rechargez avec z
  Lance calcul (g)             lance le calcul
  Pause calcul (p)             pause
  vues                         translation (t), rotation (r), vol (v)
  RAZ vue /RAZ calcul->(z)     revient à la première vue
  Aspect                       solide / squelette, théière ou sphère ;
                               Trajectoire/Aire : rien, les traces, ou les
                               traces et les aires balayées depuis le corps 1
                               (les 20 derniers points) ; couleur (l)
  dt*2 , dt/2                  double ou divise par deux le pas de temps
                               (et donc l'effet d'un appui sur + ou -)
  Aide                         cette page
  Quitte (Q)                   quitte

Le fichier de données : une ligne nb=N (N négatif : seul le corps 1
attire, les autres ne se gênent pas), puis pour chaque corps
  m=masse
  x=... y=... z=...
  u=... v=... w=...      (vitesse)

LES SCÉNARIOS (menu Cas Initiaux)
---------------------------------
Tous se lancent avec g.  Un « tour » du corps 2 se voit à sa trace ;
les durées sont données en unités de temps du calcul (avec dt = 0.001,
20 lots de calcul font une unité).

tir
  Huit projectiles partent du même point, juste au-dessus du corps 1,
  à l'horizontale, de plus en plus vite.  Les plus lents retombent et
  sont absorbés, les suivants tournent sur des orbites fermées (ellipses,
  un cercle), les plus rapides s'échappent : leur énergie est positive.
  C'est le canon de Newton.

iso Energie et iso T
  Quatre corps partent du même point avec la même vitesse dans quatre
  directions : même énergie, donc même grand axe, mais des excentricités
  de 0 à 0.7.  Ils ont la même période (environ 70) et se retrouvent
  ensemble au point de départ à chaque tour.

loi des aires 1
  Une orbite très allongée (excentricité 0.7).  Affichez les aires
  (Aspect, Trajectoire/Aire) : le corps va vite près du corps 1 et
  lentement loin de lui, mais l'aire balayée en un temps donné reste
  la même.

loi des aires 2
  Trois orbites différentes (un cercle et deux ellipses) choisies avec le
  même paramètre : chacune balaie des aires égales en des temps égaux,
  et en plus les trois balaient la même aire dans le même temps.

loi a^3/T^2
  Quatre orbites de tailles très différentes (demi-grand axe de 5 à 16)
  et de formes variées : a³/T² est le même pour toutes (troisième loi
  de Kepler), T allant d'environ 25 à 140.

Phasing Dv>0
  Les corps 2 et 3 sont sur le même cercle, le corps 3 en retard d'un
  tiers de tour.  Le corps 2 doit se laisser rattraper.
  Lancez (g), puis appuyez aussitôt 3 fois sur + : le corps 2 passe sur
  une orbite plus grande, plus lente, et prend du retard.  Quand il
  repasse à droite, à son point de départ (après un tour, vers le temps
  94), appuyez 3 fois sur - : il redevient circulaire, juste à côté du
  corps 3.

Phasing Dv<0
  Les corps 2 et 3 sont sur le même cercle, le corps 3 en avance d'un
  quart de tour.  Le corps 2 doit le rattraper : pour aller plus vite,
  il faut freiner !
  Lancez (g), puis appuyez aussitôt 4 fois sur - : le corps 2 descend
  sur une orbite plus petite, plus rapide.  Quand il repasse à droite,
  à son point de départ (après un tour, vers le temps 53), appuyez 4 fois
  sur + : il redevient circulaire, juste à côté du corps 3.

ellipse
  Une orbite elliptique (excentricité 0.65, période environ 104) : le
  corps 1 est à un foyer.  C'est aussi le fichier donnees.txt de départ.

hyperbole
  Un corps arrive du haut de l'écran trop vite pour être capturé
  (excentricité 2.2), contourne le corps 1 et repart par le bas en
  moins de 1000 lots de calcul (50 unités de temps).

transf. Homann
  Le corps 2 tourne sur un petit cercle, le corps 3 marque un cercle deux
  fois plus grand.  Lancez (g), puis appuyez aussitôt 6 fois sur + : le
  corps 2 part sur une ellipse.  Un demi-tour plus tard, quand il
  arrive à gauche au plus loin du corps 1 (vers le temps 45), appuyez 5
  fois sur + : il reste sur le grand cercle, celui du corps 3.

Rendez Vous 1
  Le corps 2 (le chasseur) est sur un cercle intérieur, le corps 3 (la
  cible) sur un cercle extérieur, en avance.  Lancez (g), puis appuyez
  aussitôt 5 fois sur + ; un demi-tour plus tard, quand le corps 2 arrive
  à gauche au plus loin du corps 1 (vers le temps 60), appuyez 4 fois
  sur + : il est contre la cible et avance à la même vitesse qu'elle.

Rendez Vous 2
  Cette fois le chasseur (corps 2) est sur un cercle extérieur et la
  cible (corps 3) sur un cercle intérieur.  Lancez (g), puis appuyez
  aussitôt 4 fois sur - ; un demi-tour plus tard, quand le corps 2 arrive
  à gauche au plus près du corps 1 (vers le temps 59), appuyez 5 fois
  sur - : il est contre la cible, à la même vitesse qu'elle.

syst. double 1
  Deux étoiles de masses 8 et 4 qui s'attirent l'une l'autre : chacune
  décrit une ellipse autour de leur centre de masse commun, qui reste
  immobile au milieu de l'écran.

syst. double 2
  Un couple serré d'étoiles inégales (masses 8 et 2) et une planète qui
  tourne autour des deux, loin d'elles : l'ensemble est stable.

syst. triple
  Soleil, Terre et Lune, tous massifs : la Lune tourne autour de la
  Terre pendant que toutes deux tournent autour du Soleil, qui bouge
  un peu lui aussi.

Appuyer au mauvais moment ou le mauvais nombre de fois ?  Rechargez le
scénario (z ou le menu) et recommencez.
AIDE
