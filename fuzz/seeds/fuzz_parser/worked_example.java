  summe = 0;
  for (i=1;i<=10;i=i+1) {
    if (i % 2 == 0) {
      summe = summe + i;
    }
    else{
      rest = rest + 1;
    }
  }

  // Ausgabe
  ausgeben(summe);
  // Ende Ausgabe

  do {
    summe = summe - 100;
  } while (summe > 100);
  while (weiter) {
  }
